#include "chartviews/SunburstPainter.h"

#include "charts/SunburstSectorRaster.h"
#include "chartviews/SunburstLabelPainter.h"
#include "chartviews/SunburstPatterns.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace plenwick {

namespace {

constexpr double fullTurn = 0.99999;

QRectF circleRect(const QPointF& c, double r) { return {c.x() - r, c.y() - r, 2 * r, 2 * r}; }

} // namespace

void addSunburstArcShape(QPainterPath& path, const QPointF& c, double a0, double a1, double ri, double ro) {
    if (a1 - a0 >= fullTurn) {
        path.addEllipse(c, ro, ro);
        if (ri > 0) path.addEllipse(c, ri, ri);
        return;
    }
    const double sweep = -360.0 * (a1 - a0);
    const QRectF outer = circleRect(c, ro);
    path.arcMoveTo(outer, sunburstQtDegrees(a0));
    path.arcTo(outer, sunburstQtDegrees(a0), sweep);
    if (ri > 0.5)
        path.arcTo(circleRect(c, ri), sunburstQtDegrees(a1), -sweep);
    else
        path.lineTo(c);
    path.closeSubpath();
}

QPainterPath sunburstArcPath(const SunburstArc& arc, const SunburstRingMetrics& metrics,
                             const SunburstChartGeometry& geometry) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    addSunburstArcShape(path, geometry.centre, arc.start, arc.end, metrics.ringRadius(arc.ring) * geometry.radius,
                        metrics.ringRadius(arc.ring + 1) * geometry.radius);
    return path;
}

RGB sunburstFillColor(const SunburstArcStyle& style, const SunburstAppearance& appearance) {
    if (style.dim <= 0) return style.rgb;
    const RGB& b = appearance.background;
    const double d = style.dim;
    return {style.rgb.red + d * (b.red - style.rgb.red), style.rgb.green + d * (b.green - style.rgb.green),
            style.rgb.blue + d * (b.blue - style.rgb.blue)};
}

void drawSunburstScene(QImage& image, const SunburstScene& scene, const SunburstDrawParams& params) {
    const SunburstPass& pass = params.pass;
    if (pass.opacity <= 0.001) return;
    const SunburstLayout& layout = *scene.layout;
    const SunburstRingMetrics& metrics = layout.metrics;
    const QPointF c = params.geometry.centre;
    const double R = params.geometry.radius;
    const double windowStart = params.frame.windowStart;
    const double windowWidth = std::max(params.frame.windowEnd - windowStart, 1e-9);
    // Arcs are filled in the image's pixels.
    const double scale = image.devicePixelRatio();
    const double gap = params.geometry.separatorWidth() * scale;
    const double cx = c.x() * scale, cy = c.y() * scale;

    std::vector<SunburstSector> sectors, collected, hidden;
    std::vector<SunburstLabelArc> labels;
    const bool fills = params.parts != SunburstDrawParams::Parts::labels;
    const bool withLabels = pass.labelOpacity > 0.01 && params.parts != SunburstDrawParams::Parts::fills;
    for (std::size_t i = 0; i < layout.rings.size(); ++i) {
        const double r = static_cast<double>(i) + pass.baseDepth - params.frame.ringShift;
        const double ri = metrics.ringRadius(r) * R;
        const double ro = metrics.ringRadius(r + 1) * R;
        if (ro - ri <= 0.25) continue;
        const auto& arcs = layout.rings[i];
        const auto& styles = scene.styles[i];
        for (std::size_t j = 0; j < arcs.size(); ++j) {
            const SunburstArc& arc = arcs[j];
            const double a0 =
                std::clamp((arc.start * pass.baseWidth + pass.baseStart - windowStart) / windowWidth, 0.0, 1.0);
            const double a1 =
                std::clamp((arc.end * pass.baseWidth + pass.baseStart - windowStart) / windowWidth, 0.0, 1.0);
            // An arc squeezed below a third of a point across (the scene coming in or going
            // out of a zoom) shows nothing a smooth edge would not hide anyway.
            if (a1 - a0 <= 1e-5 || (a1 - a0) * 2 * std::numbers::pi * ro < 0.35) continue;
            const SunburstArcStyle& style = styles[j];
            const RGB fill = sunburstFillColor(style, params.appearance);
            if (fills) {
                const SunburstSector sector(cx, cy, a0, a1, ri * scale, ro * scale, gap, sunburstColor(fill).rgba());
                if (!sector.isEmpty()) {
                    sectors.push_back(sector);
                    if (style.collected) collected.push_back(sector);
                    if (arc.isHiddenSpace) hidden.push_back(sector);
                }
            }
            if (withLabels && i <= 2 && (a1 - a0) * 360 >= 7 && (arc.node || arc.isHiddenSpace))
                labels.push_back({&arc, fill, style.collected, ri, ro, a0, a1});
        }
    }

    // The fills, then stripes over collected items and dots over the hidden space.
    const SunburstPixels pixels{reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
                                static_cast<std::ptrdiff_t>(image.bytesPerLine() / 4)};
    fillSunburstSectors(pixels, sectors, pass.opacity);
    const bool dark = params.appearance.isDark;
    fillSunburstPattern(image, collected, SunburstPattern::stripes, dark,
                        QPointF(c.x() - 2 * (R + 6), c.y()) * scale, scale, pass.opacity);
    fillSunburstPattern(image, hidden, SunburstPattern::dots, dark, QPointF(cx, cy), scale, pass.opacity);

    if (!labels.empty()) {
        QPainter painter(&image);
        painter.setOpacity(pass.opacity * pass.labelOpacity);
        for (const SunburstLabelArc& label : labels) drawSunburstLabel(painter, label, c);
    }
}

} // namespace plenwick
