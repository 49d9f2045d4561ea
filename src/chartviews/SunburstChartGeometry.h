#pragma once
// Where the sunburst sits in its view: centred, with a margin of 14 points, and how
// a point of the view maps to a radius fraction and an angular fraction.

#include "charts/SunburstLayout.h"

#include <QPointF>
#include <QSizeF>

namespace plenwick {

struct SunburstPolar {
    double radius = 0; // fraction of the outer radius
    double angle = 0;  // fraction of a turn clockwise from 12 o'clock, in 0…1
};

struct SunburstChartGeometry {
    QPointF centre;
    double radius = 1; // the outer radius in points

    // Centred in a view of `size`, outer radius max(min(w, h)/2 − 14, 1).
    static SunburstChartGeometry forSize(const QSizeF& size);

    SunburstPolar polar(const QPointF& point) const;
    SunburstHit hit(const SunburstLayout& layout, const QPointF& point) const;
    // Width of the separators between arcs: R / 320 within 0.6…1.25 points.
    double separatorWidth() const;

    friend bool operator==(const SunburstChartGeometry&, const SunburstChartGeometry&) = default;
};

} // namespace plenwick
