#include "charts/ui/SunburstPainter.h"

#include "charts/ui/SunburstLabels.h"
#include "platform/ByteCountFormatter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>
#include <vector>

namespace plenwick {

namespace {

constexpr double fullTurn = 0.99999;

QRectF circleRect(const QPointF& c, double r) { return {c.x() - r, c.y() - r, 2 * r, 2 * r}; }

QPointF pointAt(const QPointF& c, double fraction, double r) {
    const double theta = 2 * std::numbers::pi * fraction;
    return {c.x() + std::sin(theta) * r, c.y() - std::cos(theta) * r};
}

// Device pixels per point of what the painter draws on.
double deviceScale(const QPainter& painter) {
    const QTransform& t = painter.deviceTransform();
    return std::max(std::hypot(t.m11(), t.m12()), 0.25);
}

enum class Pattern { stripes, dots };

// A texture brush that repeats a small tile drawn at the device's resolution, mapped
// back to points and anchored at `origin`, so the pattern lines up across arcs and
// stays put while the chart repaints.
QBrush patternBrush(Pattern pattern, bool dark, double scale, const QPointF& origin) {
    static std::map<std::tuple<Pattern, bool, int>, QImage> tiles;
    const QSizeF pitch = pattern == Pattern::stripes ? QSizeF(6, 6) : QSizeF(5, 10);
    const QSize pixels(std::max(1, qRound(pitch.width() * scale)), std::max(1, qRound(pitch.height() * scale)));
    QImage& tile = tiles[{pattern, dark, pixels.width() * 1000 + pixels.height()}];
    if (tile.isNull()) {
        tile = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        QPainter p(&tile);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(pixels.width() / pitch.width(), pixels.height() / pitch.height());
        if (pattern == Pattern::stripes) {
            // Lines where x + y is a multiple of the pitch, lower left to upper right.
            p.setPen(QPen(dark ? QColor::fromRgbF(0, 0, 0, 0.32f) : QColor::fromRgbF(1, 1, 1, 0.75f), 1.6,
                          Qt::SolidLine, Qt::FlatCap));
            for (double k : {0.0, 6.0, 12.0}) p.drawLine(QPointF(k + 6, -6), QPointF(k - 12, 12));
        } else {
            // Rows 5 points apart, every other one moved by half the pitch.
            p.setPen(Qt::NoPen);
            p.setBrush(dark ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(0, 0, 0, 0.16f));
            const double d = 1.7;
            for (QPointF dot : {QPointF(0, 0), QPointF(5, 0), QPointF(0, 10), QPointF(5, 10), QPointF(2.5, 5)})
                p.drawEllipse(dot, d / 2, d / 2);
        }
    }
    QBrush brush(tile);
    brush.setTransform(QTransform(pitch.width() / pixels.width(), 0, 0, pitch.height() / pixels.height(),
                                  origin.x(), origin.y()));
    return brush;
}

// The separators of one ring: a radial line at every arc boundary, and arcs along
// the inner and outer edge of every run of touching arcs. Lines and short arcs are
// cheap for QPainter, where one stroke of every outline is not.
class Separators {
public:
    Separators(const QPointF& centre) : centre_(centre) {}

    void startRing(double ri, double ro) {
        finishRun();
        ri_ = ri;
        ro_ = ro;
    }
    void add(double a0, double a1) {
        if (a1 - a0 >= fullTurn) {
            finishRun();
            circles_.push_back(ro_);
            if (ri_ > 0) circles_.push_back(ri_);
            return;
        }
        const double inner = ri_ > 0.5 ? ri_ : 0;
        if (!inRun_ || std::abs(a0 - runEnd_) > 1e-9) {
            finishRun();
            inRun_ = true;
            runStart_ = a0;
            lines_.emplace_back(pointAt(centre_, a0, inner), pointAt(centre_, a0, ro_));
        }
        runEnd_ = a1;
        lines_.emplace_back(pointAt(centre_, a1, inner), pointAt(centre_, a1, ro_));
    }
    void draw(QPainter& painter, const QColor& color, double width) {
        finishRun();
        QPen pen(color, width, Qt::SolidLine, Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (!lines_.empty()) painter.drawLines(lines_.data(), static_cast<int>(lines_.size()));
        for (const Edge& e : edges_) {
            QPainterPath path;
            const QRectF rect = circleRect(centre_, e.radius);
            path.arcMoveTo(rect, sunburstQtDegrees(e.a0));
            path.arcTo(rect, sunburstQtDegrees(e.a0), -360.0 * (e.a1 - e.a0));
            painter.drawPath(path);
        }
        for (double r : circles_) painter.drawEllipse(centre_, r, r);
    }

private:
    struct Edge {
        double radius, a0, a1;
    };
    void finishRun() {
        if (!inRun_) return;
        inRun_ = false;
        edges_.push_back({ro_, runStart_, runEnd_});
        if (ri_ > 0.5) edges_.push_back({ri_, runStart_, runEnd_});
    }

    QPointF centre_;
    double ri_ = 0, ro_ = 0;
    bool inRun_ = false;
    double runStart_ = 0, runEnd_ = 0;
    std::vector<QLineF> lines_;
    std::vector<Edge> edges_;
    std::vector<double> circles_;
};

struct Label {
    const SunburstArc* arc;
    RGB fill;
    bool collected;
    double ri, ro, a0, a1;
};

// A soft shadow under white text: the text in black, a little below and spread.
void drawTextShadow(QPainter& painter, const QPointF& at, const QString& text) {
    const QColor shade = QColor::fromRgbF(0, 0, 0, 0.085f);
    painter.setPen(shade);
    constexpr double r = 0.75;
    for (QPointF d : {QPointF(0, 0), QPointF(r, 0), QPointF(-r, 0), QPointF(0, r), QPointF(0, -r)})
        painter.drawText(at + QPointF(0, 0.5) + d, text);
}

void drawLabel(QPainter& painter, const Label& label, const QPointF& centre) {
    const double thickness = label.ro - label.ri;
    if (thickness < sunburstMinimumLabelThickness) return;
    const SunburstArc& arc = *label.arc;
    const QString name =
        arc.isHiddenSpace ? QStringLiteral("Hidden space") : QString::fromStdString(arc.node->displayName());
    const QString size = QString::fromStdString(formatByteCount(arc.size));
    const double points = sunburstLabelFontSize(thickness);
    const QFont nameFont = sunburstFont(points, QFont::DemiBold, painter.device());
    const QFont sizeFont = sunburstFont(points - 1.5, QFont::Normal, painter.device());
    const QFontMetricsF nameMetrics(nameFont, painter.device()), sizeMetrics(sizeFont, painter.device());
    const QString shownName = nameMetrics.elidedText(name, Qt::ElideMiddle, 400);
    const QSizeF nameBox(std::min(nameMetrics.horizontalAdvance(shownName), 400.0), std::min(nameMetrics.height(), 40.0));
    const QSizeF sizeBox(std::min(sizeMetrics.horizontalAdvance(size), 400.0), std::min(sizeMetrics.height(), 40.0));
    const QSizeF two(std::max(nameBox.width(), sizeBox.width()), nameBox.height() + sizeBox.height() - 2);
    const auto placement = placeSunburstLabel(centre, label.ri, label.ro, label.a0, label.a1, two, nameBox);
    if (!placement) return;

    const bool dark = sunburstLabelTextIsDark(label.fill, label.collected);
    const QColor color = dark ? QColor::fromRgbF(0.06f, 0.06f, 0.06f, 0.85f) : QColor(Qt::white);
    painter.save();
    painter.translate(placement->anchor);
    painter.rotate(placement->rotation * 180 / std::numbers::pi);
    struct Line {
        QString text;
        QFont font;
        QPointF baseline;
        double opacity;
    };
    std::vector<Line> lines;
    if (placement->twoLines) {
        const double h = two.height();
        lines.push_back({shownName, nameFont, QPointF(-nameBox.width() / 2, -h / 2 + nameMetrics.ascent()), 1});
        lines.push_back({size, sizeFont, QPointF(-sizeBox.width() / 2, h / 2 - sizeMetrics.descent()), 0.8});
    } else {
        lines.push_back({shownName, nameFont,
                         QPointF(-nameBox.width() / 2, nameMetrics.ascent() - nameMetrics.height() / 2), 1});
    }
    const double opacity = painter.opacity();
    for (const Line& line : lines) {
        painter.setFont(line.font);
        painter.setOpacity(opacity * line.opacity);
        if (!dark) drawTextShadow(painter, line.baseline, line.text);
        painter.setPen(color);
        painter.drawText(line.baseline, line.text);
    }
    painter.restore();
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

void drawSunburstScene(QPainter& painter, const SunburstScene& scene, const SunburstDrawParams& params) {
    const SunburstPass& pass = params.pass;
    if (pass.opacity <= 0.001) return;
    const SunburstLayout& layout = *scene.layout;
    const SunburstRingMetrics& metrics = layout.metrics;
    const QPointF c = params.geometry.centre;
    const double R = params.geometry.radius;
    const double windowStart = params.frame.windowStart;
    const double windowWidth = std::max(params.frame.windowEnd - windowStart, 1e-9);

    painter.save();
    const double baseOpacity = painter.opacity();
    painter.setOpacity(baseOpacity * pass.opacity);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QPainterPath arcPath, collectedPath, hiddenPath;
    arcPath.setFillRule(Qt::OddEvenFill);
    collectedPath.setFillRule(Qt::OddEvenFill);
    hiddenPath.setFillRule(Qt::OddEvenFill);
    Separators separators(c);
    std::vector<Label> labels;
    const bool withLabels = pass.labelOpacity > 0.01;

    for (std::size_t i = 0; i < layout.rings.size(); ++i) {
        const double r = static_cast<double>(i) + pass.baseDepth - params.frame.ringShift;
        const double ri = metrics.ringRadius(r) * R;
        const double ro = metrics.ringRadius(r + 1) * R;
        if (ro - ri <= 0.25) continue;
        separators.startRing(ri, ro);
        const auto& arcs = layout.rings[i];
        const auto& styles = scene.styles[i];
        for (std::size_t j = 0; j < arcs.size(); ++j) {
            const SunburstArc& arc = arcs[j];
            const double a0 =
                std::clamp((arc.start * pass.baseWidth + pass.baseStart - windowStart) / windowWidth, 0.0, 1.0);
            const double a1 =
                std::clamp((arc.end * pass.baseWidth + pass.baseStart - windowStart) / windowWidth, 0.0, 1.0);
            if (a1 - a0 <= 1e-5) continue;
            arcPath.clear();
            addSunburstArcShape(arcPath, c, a0, a1, ri, ro);
            const SunburstArcStyle& style = styles[j];
            const RGB fill = sunburstFillColor(style, params.appearance);
            painter.fillPath(arcPath, sunburstColor(fill));
            if (style.collected) collectedPath.addPath(arcPath);
            if (arc.isHiddenSpace) hiddenPath.addPath(arcPath);
            separators.add(a0, a1);
            if (withLabels && i <= 2 && (a1 - a0) * 360 >= 7 && (arc.node || arc.isHiddenSpace))
                labels.push_back({&arc, fill, style.collected, ri, ro, a0, a1});
        }
    }

    const double scale = deviceScale(painter);
    const bool dark = params.appearance.isDark;
    if (!collectedPath.isEmpty())
        painter.fillPath(collectedPath, patternBrush(Pattern::stripes, dark, scale, QPointF(c.x() - 2 * (R + 6), c.y())));
    if (!hiddenPath.isEmpty()) {
        const QRectF box = hiddenPath.boundingRect();
        if (box.width() > 0 && box.height() > 0) painter.fillPath(hiddenPath, patternBrush(Pattern::dots, dark, scale, c));
    }
    separators.draw(painter, sunburstColor(params.appearance.background), params.geometry.separatorWidth());

    if (!labels.empty()) {
        painter.setOpacity(baseOpacity * pass.opacity * pass.labelOpacity);
        for (const Label& label : labels) drawLabel(painter, label, c);
    }
    painter.restore();
}

} // namespace plenwick
