#include "chartviews/SunburstChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plenwick {

SunburstChartGeometry SunburstChartGeometry::forSize(const QSizeF& size) {
    return {QPointF(size.width() / 2, size.height() / 2),
            std::max(std::min(size.width(), size.height()) / 2 - 14, 1.0)};
}

SunburstPolar SunburstChartGeometry::polar(const QPointF& point) const {
    const double dx = point.x() - centre.x();
    const double dy = point.y() - centre.y();
    double angle = std::atan2(dx, -dy) / (2 * std::numbers::pi);
    if (angle < 0) angle += 1;
    return {std::hypot(dx, dy) / radius, angle};
}

SunburstHit SunburstChartGeometry::hit(const SunburstLayout& layout, const QPointF& point) const {
    const SunburstPolar p = polar(point);
    return layout.hitTest(p.radius, p.angle);
}

double SunburstChartGeometry::separatorWidth() const { return std::clamp(radius / 320, 0.6, 1.25); }

} // namespace plenwick
