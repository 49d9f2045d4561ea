#include "shell/AppLogo.h"

#include "shell/ShellStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <map>

namespace plenwick {

namespace {

// One ring of coloured segments, as in a disk-usage chart: angles in turns from 12 o'clock.
void drawRing(QPainter& painter, QPointF centre, double inner, double outer,
              std::initializer_list<std::tuple<double, double, QColor>> segments) {
    for (const auto& [from, to, color] : segments) {
        // Qt angles: degrees counter-clockwise from 3 o'clock.
        const double start = 90.0 - from * 360.0, sweep = -(to - from) * 360.0;
        QPainterPath path;
        const QRectF outerRect(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
        const QRectF innerRect(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner);
        path.arcMoveTo(outerRect, start);
        path.arcTo(outerRect, start, sweep);
        path.arcTo(innerRect, start + sweep, -sweep);
        path.closeSubpath();
        painter.fillPath(path, color);
    }
}

QImage drawArtwork() {
    const int n = AppLogoView::gridPixels;
    QImage image(n, n, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(n / 2.0, n / 2.0);

    const QColor blue = QColor::fromRgbF(0.27, 0.45, 1.0), teal = QColor::fromRgbF(0.2, 0.78, 0.85),
                 orange = QColor::fromRgbF(0.95, 0.55, 0.22), pink = QColor::fromRgbF(0.93, 0.47, 0.7),
                 violet = QColor::fromRgbF(0.55, 0.42, 0.95), green = QColor::fromRgbF(0.27, 0.8, 0.55);
    // A dark disc holding a small disk-usage chart: two rings of segments around a bright hub.
    QRadialGradient disc(c.x(), c.y() - 8, 30);
    disc.setColorAt(0, QColor::fromRgbF(0.20, 0.24, 0.42));
    disc.setColorAt(1, QColor::fromRgbF(0.09, 0.11, 0.22));
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(c, 23.5, 23.5);
    const double gap = 0.016;
    drawRing(painter, c, 14.5, 20.5,
             {{0.0 + gap, 0.34 - gap, blue}, {0.34 + gap, 0.56 - gap, teal}, {0.56 + gap, 0.72 - gap, orange},
              {0.72 + gap, 0.86 - gap, pink}});
    drawRing(painter, c, 8.5, 13.5, {{0.0 + gap, 0.3 - gap, violet}, {0.3 + gap, 0.62 - gap, green},
                                     {0.62 + gap, 0.84 - gap, blue}});
    painter.setBrush(Qt::white);
    painter.drawEllipse(c, 5.0, 5.0);
    return image;
}

} // namespace

const QImage& appLogoImage() {
    static const QImage image = drawArtwork();
    return image;
}

AppLogoView::AppLogoView(qreal size, QWidget* parent) : QWidget(parent), size_(size) {
    setAccessibleName(QStringLiteral("Plenwick"));
    setAttribute(Qt::WA_TranslucentBackground);
}

int AppLogoView::gridMultiple(qreal size, qreal scale) {
    const qreal s = std::max<qreal>(1, scale);
    return std::max(1, static_cast<int>(std::round(size * s / gridPixels)));
}

qreal AppLogoView::side(qreal size, qreal scale) {
    const qreal s = std::max<qreal>(1, scale);
    return gridMultiple(size, s) * gridPixels / s;
}

void AppLogoView::paint(QPainter& painter, const QPointF& centre, qreal size) {
    const qreal dpr = std::max<qreal>(1, shellPaintScale(painter));
    const int k = gridMultiple(size, dpr);
    // One scaled copy per multiple in use (a window rarely shows more than one or two).
    static std::map<int, QImage> scaled;
    auto it = scaled.find(k);
    if (it == scaled.end()) {
        it = scaled.emplace(k, appLogoImage().scaled(k * gridPixels, k * gridPixels, Qt::IgnoreAspectRatio,
                                                      Qt::FastTransformation)).first;
    }
    QImage image = it->second;
    image.setDevicePixelRatio(dpr);
    // The corner on a whole device pixel.
    const QTransform& toDevice = painter.deviceTransform();
    const QPointF deviceCentre = toDevice.map(centre);
    const qreal half = k * gridPixels / 2.0;
    const QPointF corner = toDevice.inverted().map(
        QPointF(std::round(deviceCentre.x() - half), std::round(deviceCentre.y() - half)));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawImage(corner, image);
    painter.restore();
}

QSize AppLogoView::sizeHint() const {
    const int whole = static_cast<int>(std::ceil(side(size_, devicePixelRatioF())));
    return QSize(whole, whole);
}

void AppLogoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()).center(), size_);
}

} // namespace plenwick
