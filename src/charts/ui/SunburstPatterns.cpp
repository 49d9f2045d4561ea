#include "charts/ui/SunburstPatterns.h"

#include "shell/ShellStyle.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace plenwick {

namespace {

QSizeF pitchOf(SunburstPattern pattern) { return pattern == SunburstPattern::stripes ? QSizeF(6, 6) : QSizeF(5, 10); }

// One period of the pattern at `scale` device pixels per point.
const QImage& tile(SunburstPattern pattern, bool dark, double scale) {
    static std::map<std::tuple<SunburstPattern, bool, int>, QImage> tiles;
    const QSizeF pitch = pitchOf(pattern);
    const QSize pixels(std::max(1, qRound(pitch.width() * scale)), std::max(1, qRound(pitch.height() * scale)));
    QImage& image = tiles[{pattern, dark, pixels.width() * 10000 + pixels.height()}];
    if (!image.isNull()) return image;
    image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels.width() / pitch.width(), pixels.height() / pitch.height());
    if (pattern == SunburstPattern::stripes) {
        // Lines where x + y is a multiple of the pitch; three cover the tile's corners.
        p.setPen(QPen(dark ? QColor::fromRgbF(0, 0, 0, 0.32f) : QColor::fromRgbF(1, 1, 1, 0.75f), 1.6, Qt::SolidLine,
                      Qt::FlatCap));
        for (double k : {0.0, 6.0, 12.0}) p.drawLine(QPointF(k + 6, -6), QPointF(k - 12, 12));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(dark ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(0, 0, 0, 0.16f));
        const double r = 1.7 / 2;
        for (QPointF dot : {QPointF(0, 0), QPointF(5, 0), QPointF(0, 10), QPointF(5, 10), QPointF(2.5, 5)})
            p.drawEllipse(dot, r, r);
    }
    return image;
}

// a·m/255 for each premultiplied channel.
inline quint32 scaled(quint32 p, quint32 m) {
    quint32 rb = (p & 0xff00ff) * m;
    quint32 ag = ((p >> 8) & 0xff00ff) * m;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

} // namespace

void fillSunburstPattern(QPainter& painter, const std::vector<QPainterPath>& shapes, SunburstPattern pattern,
                         bool dark, const QPointF& origin) {
    if (shapes.empty()) return;
    const QTransform device = painter.deviceTransform();
    const double scale = shellPaintScale(painter);
    const QImage& period = tile(pattern, dark, scale);
    auto* image = painter.device() && painter.device()->devType() == QInternal::Image
                      ? static_cast<QImage*>(painter.device())
                      : nullptr;
    const bool direct = image && image->format() == QImage::Format_ARGB32_Premultiplied && painter.opacity() >= 1 &&
                        device.type() <= QTransform::TxScale && !painter.hasClipping();
    if (!direct) {
        // A texture brush: right on any device, but QPainter blends it on its thread
        // pool and waits, slow on a busy machine.
        const QSizeF pitch = pitchOf(pattern);
        QBrush brush(period);
        brush.setTransform(QTransform(pitch.width() / period.width(), 0, 0, pitch.height() / period.height(),
                                      origin.x(), origin.y()));
        for (const QPainterPath& shape : shapes) painter.fillPath(shape, brush);
        return;
    }
    // The shapes' coverage into a mask (opaque fills are quick), then the pattern laid
    // over the image through it.
    QRectF logical;
    for (const QPainterPath& shape : shapes) logical |= shape.boundingRect();
    const QRect box = device.mapRect(logical).toAlignedRect().intersected(image->rect());
    if (box.isEmpty()) return;
    QImage mask(box.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing);
        m.setCompositionMode(QPainter::CompositionMode_Source);
        m.translate(-box.topLeft());
        m.setTransform(device, true);
        for (const QPainterPath& shape : shapes) m.fillPath(shape, Qt::white);
    }
    const QPointF anchor = device.map(origin);
    const int tw = period.width(), th = period.height();
    auto wrap = [](int v, int n) { return ((v % n) + n) % n; };
    const int ox = static_cast<int>(std::floor(anchor.x())), oy = static_cast<int>(std::floor(anchor.y()));
    for (int y = 0; y < box.height(); ++y) {
        const auto* m = reinterpret_cast<const quint32*>(mask.constScanLine(y));
        auto* d = reinterpret_cast<quint32*>(image->scanLine(box.y() + y)) + box.x();
        const auto* t = reinterpret_cast<const quint32*>(period.constScanLine(wrap(box.y() + y - oy, th)));
        int tx = wrap(box.x() - ox, tw);
        for (int x = 0; x < box.width(); ++x, tx = tx + 1 == tw ? 0 : tx + 1) {
            const quint32 coverage = m[x] >> 24;
            if (!coverage) continue;
            const quint32 s = scaled(t[tx], coverage);
            d[x] = s + scaled(d[x], 255 - (s >> 24));
        }
    }
}

} // namespace plenwick
