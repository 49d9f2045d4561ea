#include "results/ShellScanRings.h"

#include "shell/ShellFrameTimer.h"
#include "shell/ShellStyle.h"

#include <QConicalGradient>
#include <QDateTime>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace plenwick {

namespace {

constexpr double degreesPerRadian = 180.0 / std::numbers::pi;
// 1 January 2001, 00:00 UTC, in seconds since 1970.
constexpr double referenceEpoch = 978307200.0;

QColor srgb(const RGB& c, double opacity) {
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue),
                            static_cast<float>(opacity));
}

// The ring sector between two angles (clockwise on screen, radians) as a closed path.
// Qt's arcs take degrees counter-clockwise, so every angle is negated.
QPainterPath sector(QPointF c, double inner, double outer, double start, double end) {
    const QRectF outerBox(c.x() - outer, c.y() - outer, 2 * outer, 2 * outer);
    const QRectF innerBox(c.x() - inner, c.y() - inner, 2 * inner, 2 * inner);
    const double from = -start * degreesPerRadian, sweep = -(end - start) * degreesPerRadian;
    QPainterPath path;
    path.arcMoveTo(outerBox, from);
    path.arcTo(outerBox, from, sweep);
    path.arcTo(innerBox, from + sweep, -sweep);
    path.closeSubpath();
    return path;
}

// The glow depends only on the size, the accent and the resolution: drawn once into an
// image and reused by every frame (a radial gradient over the whole disc is the
// dearest fill of the frame).
const QImage& glowImage(double radius, double from, const QColor& accent, qreal scale) {
    struct Cached {
        double radius = -1;
        double from = 0;
        QRgb accent = 0;
        qreal scale = 0;
        QImage image;
    };
    static Cached cached;
    if (cached.radius != radius || cached.from != from || cached.accent != accent.rgba() || cached.scale != scale) {
        const int side = static_cast<int>(std::ceil(2 * radius * scale));
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(scale);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            const QPointF c(radius, radius);
            QRadialGradient glow(c, radius);
            glow.setColorAt(from, shellWithOpacity(accent, 0.16));
            glow.setColorAt(1, Qt::transparent);
            painter.setBrush(glow);
            painter.drawEllipse(c, radius, radius);
        }
        cached = {radius, from, accent.rgba(), scale, std::move(image)};
    }
    return cached.image;
}

} // namespace

double ShellScanRings::referenceClock() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - referenceEpoch;
}

ShellScanRings::ShellScanRings(std::optional<double> fixedTime, QWidget* parent)
    : QWidget(parent), fixedTime_(fixedTime), frames_(new ShellFrameTimer(this)) {
    frames_->setWanted(!fixedTime_);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ShellScanRings::setFixedTime(std::optional<double> fixedTime) {
    fixedTime_ = fixedTime;
    frames_->setWanted(!fixedTime_);
    update();
}

void ShellScanRings::setClock(Clock clock) {
    clock_ = std::move(clock);
    update();
}

double ShellScanRings::currentTime() const { return fixedTime_ ? *fixedTime_ : clock_(); }

bool ShellScanRings::isAnimating() const { return frames_->isActive(); }

void ShellScanRings::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter, QSizeF(size()), currentTime(), palette());
}

void ShellScanRings::draw(QPainter& painter, const QSizeF& size, double t, const QPalette& palette) {
    const ScanRingsFrame frame = scanRingsFrame(size.width(), size.height(), t);
    if (frame.empty) return;
    const QPointF c(frame.centreX, frame.centreY);
    const double R = frame.radius;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    // The glow: the accent at 16 % from 0.2·R, fading out at R.
    painter.drawImage(c - QPointF(R, R), glowImage(R, frame.glowInnerRadius / R, shellAccentColor(palette), shellPaintScale(painter)));

    // The segments, each with a gradient over its ring's whole height.
    for (const ScanRingSegment& s : frame.segments) {
        QLinearGradient fill(c.x(), c.y() - s.outerRadius, c.x(), c.y() + s.outerRadius);
        fill.setColorAt(0, srgb(s.top, s.opacity));
        fill.setColorAt(1, srgb(s.bottom, s.opacity));
        painter.setBrush(fill);
        painter.drawPath(sector(c, s.innerRadius, s.outerRadius, s.start, s.end));
    }

    // The sweep, added onto the segments only. Its gradient runs clockwise from the
    // wedge's start: clear, brightening to 28 % white just before the leading edge, then
    // clear again. Qt's conical gradient runs counter-clockwise: position 1 − ℓ.
    if (!frame.sweep.empty()) {
        QConicalGradient light(c, -frame.sweepStart * degreesPerRadian);
        light.setColorAt(0, QColor(255, 255, 255, 0));
        light.setColorAt(1 - 0.141, QColor(255, 255, 255, 0));
        light.setColorAt(1 - 0.14, QColor::fromRgbF(1, 1, 1, 0.28f));
        light.setColorAt(1, QColor(255, 255, 255, 0));
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        painter.setBrush(light);
        QPainterPath pieces;
        for (const ScanRingSweepPiece& p : frame.sweep) pieces.addPath(sector(c, p.innerRadius, p.outerRadius, p.start, p.end));
        painter.drawPath(pieces);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    // The hub.
    const double rh = frame.hubRadius;
    painter.setBrush(shellWindowBackgroundColor(palette));
    painter.drawEllipse(c, rh, rh);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shellWithOpacity(shellPrimaryColor(palette), 0.08), 1));
    painter.drawEllipse(c, rh - 0.5, rh - 0.5);
    painter.restore();
}

} // namespace plenwick
