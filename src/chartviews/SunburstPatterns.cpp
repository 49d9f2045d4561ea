#include "chartviews/SunburstPatterns.h"

#include "charts/SunburstSectorRaster.h"

#include <QImage>
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

} // namespace

void fillSunburstPattern(QImage& image, const std::vector<SunburstSector>& shapes, SunburstPattern pattern, bool dark,
                         const QPointF& origin, double scale, double opacity) {
    if (shapes.empty() || !(opacity > 0)) return;
    // The shapes' coverage into a mask, then the pattern laid over the image through it.
    QRect box;
    for (const SunburstSector& shape : shapes)
        box |= QRect(QPoint(shape.left(), shape.top()), QPoint(shape.right() - 1, shape.bottom() - 1));
    box &= image.rect();
    if (box.isEmpty()) return;
    std::vector<std::uint32_t> mask(static_cast<std::size_t>(box.width()) * static_cast<std::size_t>(box.height()), 0);
    fillSunburstSectors({mask.data(), box.width(), box.height(), box.width(), box.x(), box.y()}, shapes);

    const QImage& period = tile(pattern, dark, scale);
    const int tw = period.width(), th = period.height();
    auto wrap = [](int v, int n) { return ((v % n) + n) % n; };
    const int ox = static_cast<int>(std::floor(origin.x())), oy = static_cast<int>(std::floor(origin.y()));
    const auto weight = static_cast<std::uint32_t>(std::min(opacity, 1.0) * 255 + 0.5);
    for (int y = 0; y < box.height(); ++y) {
        const std::uint32_t* m = mask.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(box.width());
        auto* d = reinterpret_cast<quint32*>(image.scanLine(box.y() + y)) + box.x();
        const auto* t = reinterpret_cast<const quint32*>(period.constScanLine(wrap(box.y() + y - oy, th)));
        int tx = wrap(box.x() - ox, tw);
        for (int x = 0; x < box.width(); ++x, tx = tx + 1 == tw ? 0 : tx + 1) {
            std::uint32_t coverage = m[x] >> 24;
            if (!coverage) continue;
            if (weight < 255) coverage = (coverage * weight + 127) / 255;
            d[x] = sunburstBlendPixel(sunburstScalePixel(t[tx], coverage), d[x]);
        }
    }
}

} // namespace plenwick
