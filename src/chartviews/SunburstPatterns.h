#pragma once
// The two patterns drawn over arcs: white (light) or black (dark) stripes over
// collected items, and a grid of dots over the hidden space. Both are anchored at
// the chart, so they line up across neighbouring arcs and stay put between paints.

#include <QPointF>

#include <vector>

class QImage;

namespace plenwick {

class SunburstSector;

enum class SunburstPattern {
    stripes, // 1.6 points wide, 6 points apart, lower left to upper right
    dots,    // 1.7 points across, rows 5 points apart, every other row moved by 2.5
};

// Covers `shapes` with the pattern in the appearance's colour at `opacity`, straight
// into a premultiplied image: the shapes are sectors in its pixels, the pattern's grid
// passes through `origin` (in its pixels too), and a point is `scale` pixels.
void fillSunburstPattern(QImage& image, const std::vector<SunburstSector>& shapes, SunburstPattern pattern, bool dark,
                         const QPointF& origin, double scale, double opacity);

} // namespace plenwick
