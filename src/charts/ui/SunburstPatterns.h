#pragma once
// The two patterns drawn over arcs: white (light) or black (dark) stripes over
// collected items, and a grid of dots over the hidden space. Both are anchored at
// the chart, so they line up across neighbouring arcs and stay put between paints.

#include <QPainterPath>
#include <QPointF>

#include <vector>

class QPainter;

namespace plenwick {

enum class SunburstPattern {
    stripes, // 1.6 points wide, 6 points apart, lower left to upper right
    dots,    // 1.7 points across, rows 5 points apart, every other row moved by 2.5
};

// Covers `shapes` (odd-even) with the pattern in the appearance's colour, the
// pattern's grid passing through `origin`.
void fillSunburstPattern(QPainter& painter, const std::vector<QPainterPath>& shapes, SunburstPattern pattern,
                         bool dark, const QPointF& origin);

} // namespace plenwick
