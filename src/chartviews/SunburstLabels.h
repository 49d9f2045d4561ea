#pragma once
// Where the two-line label of an arc goes: the first of two layouts (name over size,
// then the name alone) and three rotations (horizontal, along the ring, across it)
// whose box fits inside the arc, and how wide a name may be to fit at all. Pure geometry, so the rules can be checked without
// drawing.

#include "scanner/Color.h"

#include <QPointF>
#include <QSizeF>

#include <optional>

namespace plenwick {

struct SunburstLabelPlacement {
    bool twoLines = true;
    double rotation = 0; // radians, clockwise on screen
    QPointF anchor;      // the middle of the arc, where the box is centred
};

// Labels go only on rings at least this thick (points).
inline constexpr double sunburstMinimumLabelThickness = 16;

// The placement for an arc between the angular fractions a0 < a1 and the radii
// ri < ro (points) around `centre`, for the measured boxes of both layouts; none
// when nothing fits.
std::optional<SunburstLabelPlacement> placeSunburstLabel(const QPointF& centre, double ri, double ro, double a0,
                                                         double a1, const QSizeF& twoLines, const QSizeF& oneLine);

// The widest one-line box of `height` that fits the arc in one of the rotations,
// within 400 points; 0 when none does. A name too long for the arc is shortened to it.
double sunburstLabelRoom(const QPointF& centre, double ri, double ro, double a0, double a1, double height);

// Dark text on light fills: above luminance 0.5 for collected arcs (their stripes
// lighten them), 0.72 otherwise.
bool sunburstLabelTextIsDark(const RGB& fill, bool collected);

// The label's font size for a ring thickness: 0.28 of it within 10…12 points.
double sunburstLabelFontSize(double thickness);

} // namespace plenwick
