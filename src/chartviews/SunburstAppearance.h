#pragma once
// The sunburst's two colour appearances, and the conversions of its colours and
// angles into Qt's.

#include "scanner/Color.h"

#include <QColor>
#include <QFont>

class QPaintDevice;
class QPalette;

namespace plenwick {

struct SunburstAppearance {
    RGB background; // the chart's background, separators and the selection's halo
    RGB outline;    // the selection outline and the outline of an arc standing for the hovered node
    double highlight = 0; // opacity of the white hover wash
    bool isDark = false;

    static const SunburstAppearance light;
    static const SunburstAppearance dark;
    // The dark appearance when the palette's window colour is dark.
    static const SunburstAppearance& forPalette(const QPalette& palette);

    friend bool operator==(const SunburstAppearance&, const SunburstAppearance&) = default;
};

// An opaque sRGB colour, or with the given opacity.
QColor sunburstColor(const RGB& rgb, double opacity = 1);

// The application's font at a size in points (logical pixels, fractions kept) as
// `device` measures them, in a weight.
QFont sunburstFont(double points, QFont::Weight weight, const QPaintDevice* device);

// Qt's angle in degrees (counter-clockwise from 3 o'clock) of an angular fraction
// (clockwise from 12 o'clock).
inline double sunburstQtDegrees(double fraction) { return 90.0 - 360.0 * fraction; }

} // namespace plenwick
