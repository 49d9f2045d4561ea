#include "charts/ui/SunburstPainter.h"

#include "charts/ui/SunburstLabelPainter.h"
#include "charts/ui/SunburstPatterns.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace plenwick {

namespace {

constexpr double fullTurn = 0.99999;

QRectF circleRect(const QPointF& c, double r) { return {c.x() - r, c.y() - r, 2 * r, 2 * r}; }

QPointF pointAt(const QPointF& c, double fraction, double r) {
    const double theta = 2 * std::numbers::pi * fraction;
    return {c.x() + std::sin(theta) * r, c.y() - std::cos(theta) * r};
}

// The fill of an arc with the separators cut away: half the separator width off each
// edge, so the background shows between neighbouring arcs and rings. Cutting the gaps
// out of the fills costs nothing, where stroking every outline costs QPainter more
// than the fills themselves. False when nothing of the arc remains.
bool addInsetArcShape(QPainterPath& path, const QPointF& c, double a0, double a1, double ri, double ro, double gap) {
    const double half = gap / 2;
    const double outer = ro - half;
    if (a1 - a0 >= fullTurn) {
        const double inner = ri > 0 ? ri + half : 0;
        if (outer <= inner) return false;
        path.addEllipse(c, outer, outer);
        if (inner > 0) path.addEllipse(c, inner, inner);
        return true;
    }
    const double inner = ri > 0.5 ? ri + half : 0;
    if (outer <= inner) return false;
    // The angle a straight edge moved sideways by `half` has at radius r.
    auto inset = [half](double r) { return std::asin(std::min(1.0, half / r)) / (2 * std::numbers::pi); };
    const double b0 = a0 + inset(outer), b1 = a1 - inset(outer);
    if (b1 <= b0) return false;
    const QRectF outerRect = circleRect(c, outer);
    path.arcMoveTo(outerRect, sunburstQtDegrees(b0));
    path.arcTo(outerRect, sunburstQtDegrees(b0), -360.0 * (b1 - b0));
    const double d0 = inner > 0 ? a0 + inset(inner) : 0, d1 = inner > 0 ? a1 - inset(inner) : 0;
    if (inner > 0 && d1 > d0) {
        path.arcTo(circleRect(c, inner), sunburstQtDegrees(d1), 360.0 * (d1 - d0));
    } else {
        // The two edges meet before the inner radius: at the apex on the bisector.
        const double halfAngle = std::numbers::pi * (a1 - a0);
        const double apex = halfAngle < std::numbers::pi / 2 ? half / std::sin(halfAngle) : 0;
        if (apex >= outer) return false;
        path.lineTo(pointAt(c, (a0 + a1) / 2, std::max(apex, inner)));
    }
    path.closeSubpath();
    return true;
}

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

QRectF drawSunburstScene(QPainter& painter, const SunburstScene& scene, const SunburstDrawParams& params) {
    const SunburstPass& pass = params.pass;
    if (pass.opacity <= 0.001) return {};
    const SunburstLayout& layout = *scene.layout;
    const SunburstRingMetrics& metrics = layout.metrics;
    const QPointF c = params.geometry.centre;
    const double R = params.geometry.radius;
    const double windowStart = params.frame.windowStart;
    const double windowWidth = std::max(params.frame.windowEnd - windowStart, 1e-9);
    const double gap = params.geometry.separatorWidth();

    painter.save();
    const double baseOpacity = painter.opacity();
    painter.setOpacity(baseOpacity * pass.opacity);
    painter.setRenderHint(QPainter::Antialiasing, params.smooth);
    painter.setPen(Qt::NoPen);
    // An opaque fill in Source mode is the same picture, drawn inline: in SourceOver
    // QPainter hands the spans of a large fill to its thread pool and waits, which
    // costs more than the fill.
    const bool opaque = painter.opacity() >= 1;
    if (opaque) painter.setCompositionMode(QPainter::CompositionMode_Source);

    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    std::vector<QPainterPath> collected, hidden;
    std::vector<SunburstLabelArc> labels;
    QRectF drawn;
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
            path.clear();
            if (fills && addInsetArcShape(path, c, a0, a1, ri, ro, gap)) {
                painter.fillPath(path, sunburstColor(fill));
                drawn |= path.controlPointRect();
                if (style.collected) collected.push_back(path);
                if (arc.isHiddenSpace) hidden.push_back(path);
            }
            if (withLabels && i <= 2 && (a1 - a0) * 360 >= 7 && (arc.node || arc.isHiddenSpace)) {
                labels.push_back({&arc, fill, style.collected, ri, ro, a0, a1});
                // A label stays inside its arc.
                if (!fills) drawn |= QRectF(c.x() - ro, c.y() - ro, 2 * ro, 2 * ro);
            }
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    // Stripes over collected items, dots over the hidden space.
    const bool dark = params.appearance.isDark;
    fillSunburstPattern(painter, collected, SunburstPattern::stripes, dark, QPointF(c.x() - 2 * (R + 6), c.y()));
    fillSunburstPattern(painter, hidden, SunburstPattern::dots, dark, c);

    if (!labels.empty()) {
        painter.setOpacity(baseOpacity * pass.opacity * pass.labelOpacity);
        for (const SunburstLabelArc& label : labels) drawSunburstLabel(painter, label, c);
    }
    painter.restore();
    return drawn;
}

} // namespace plenwick
