#include "shell/ShellCapacityRing.h"

#include "services/Formatters.h"
#include "shell/ShellShadow.h"
#include "shell/ShellStyle.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

QColor rgb(double r, double g, double b) { return QColor::fromRgbF(r, g, b); }

QColor mix(const QColor& a, const QColor& b, double t) {
    auto lerp = [t](float x, float y) { return x + (y - x) * t; };
    return QColor::fromRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()), lerp(a.blueF(), b.blueF()));
}

// The arc's gradient: over the clockwise angle a from 12 o'clock, c0 up to half of
// 360·f + 1 degrees, then blending into c1 at its end; past the end the gap is split
// half c1, half c0. Qt's conical gradient runs counter-clockwise, so a gradient
// position p stands for the clockwise angle (1 − p)·360.
QConicalGradient arcGradient(const QPointF& centre, double f, const ShellCapacityRing::Colors& colors) {
    const double end = 360.0 * f + 1.0;
    auto colorAt = [&](double angle) {
        const double t = angle / end;
        return t <= 0.5 ? colors.start : mix(colors.start, colors.end, std::min(1.0, (t - 0.5) / 0.5));
    };
    QConicalGradient gradient(centre, 90);
    auto stop = [&](double angle, const QColor& color) { gradient.setColorAt(std::clamp(1.0 - angle / 360.0, 0.0, 1.0), color); };
    stop(0, colors.start);
    stop(end / 2, colors.start);
    if (end < 360) {
        stop(end, colors.end);
        const double split = (end + 360) / 2;
        stop(split - 0.01, colors.end);
        stop(split, colors.start);
        stop(360, colors.start);
    } else {
        stop(360, colorAt(360));
    }
    return gradient;
}

} // namespace

ShellCapacityRing::ShellCapacityRing(double fraction, qreal lineWidth, QWidget* parent)
    : QWidget(parent), fraction_(fraction), lineWidth_(lineWidth) {
    setAccessibleName(accessibleText(fraction_));
}

void ShellCapacityRing::setFraction(double fraction) {
    if (fraction_ == fraction) return;
    fraction_ = fraction;
    setAccessibleName(accessibleText(fraction_));
    update();
}

void ShellCapacityRing::setLineWidth(qreal lineWidth) {
    if (lineWidth_ == lineWidth) return;
    lineWidth_ = lineWidth;
    update();
}

double ShellCapacityRing::fillLevel(double fraction) {
    if (!(fraction > 0)) return 0;
    return std::min(fraction, 1.0);
}

ShellCapacityRing::Colors ShellCapacityRing::gradientColors(double f) {
    if (f < 0.75) return {rgb(0.25, 0.62, 1.0), rgb(0.42, 0.40, 0.98)};
    if (f < 0.9) return {rgb(1.0, 0.72, 0.20), rgb(0.98, 0.50, 0.20)};
    return {rgb(1.0, 0.42, 0.32), rgb(0.92, 0.22, 0.38)};
}

QString ShellCapacityRing::accessibleText(double fraction) {
    return QString::fromStdString(formatPercent(fillLevel(fraction))) + QStringLiteral(" used");
}

void ShellCapacityRing::paint(QPainter& painter, const QRectF& frame, double fraction, qreal lineWidth,
                              const QPalette& palette) {
    const qreal side = std::min(frame.width(), frame.height());
    if (side <= lineWidth) return;
    QRectF square(0, 0, side, side);
    square.moveCenter(frame.center());
    const qreal inset = lineWidth / 2;
    const QRectF circle = square.adjusted(inset, inset, -inset, -inset);
    const double f = fillLevel(fraction);
    const Colors colors = gradientColors(f);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shellRingTrackColor(shellAppearance(palette)), lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawEllipse(circle);

    if (f > 0) {
        QPainterPath arc;
        arc.arcMoveTo(circle, 90);
        arc.arcTo(circle, 90, -360.0 * f);
        QPainterPathStroker stroker;
        stroker.setWidth(lineWidth);
        stroker.setCapStyle(Qt::RoundCap);
        QColor shadow = colors.end;
        shadow.setAlphaF(0.35f);
        paintSoftShadow(painter, stroker.createStroke(arc), 3, 1, shadow);
        painter.setPen(QPen(QBrush(arcGradient(circle.center(), f, colors)), lineWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(arc);
    }
    painter.restore();
}

void ShellCapacityRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), fraction_, lineWidth_, palette());
}

} // namespace plenwick
