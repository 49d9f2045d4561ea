#include "shell/ShellShadow.h"

#include "shell/ShellStyle.h"

#include <QCache>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plenwick {

namespace {

// One box pass of half-width `r` along rows (or, with `vertical`, along columns).
void boxPass(QImage& image, int r, bool vertical) {
    const int width = image.width(), height = image.height();
    const int lines = vertical ? width : height, length = vertical ? height : width;
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();
    std::vector<uchar> line(static_cast<std::size_t>(length));
    const int window = 2 * r + 1;
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> uchar& { return vertical ? bits[i * stride + l] : bits[l * stride + i]; };
        for (int i = 0; i < length; ++i) line[static_cast<std::size_t>(i)] = at(i);
        int sum = 0;
        auto value = [&](int i) { return i < 0 || i >= length ? 0 : int(line[static_cast<std::size_t>(i)]); };
        for (int i = -r; i <= r; ++i) sum += value(i);
        for (int i = 0; i < length; ++i) {
            at(i) = static_cast<uchar>((sum + window / 2) / window);
            sum += value(i + r + 1) - value(i - r);
        }
    }
}

QString shapeKey(const QPainterPath& shape, double blur, double dpr, QRgb color) {
    QString key = QStringLiteral("%1|%2|%3|").arg(blur).arg(dpr).arg(color);
    const QPointF origin = shape.boundingRect().topLeft();
    for (int i = 0; i < shape.elementCount(); ++i) {
        const QPainterPath::Element e = shape.elementAt(i);
        key += QStringLiteral("%1,%2,%3;").arg(int(e.type)).arg(std::round((e.x - origin.x()) * 64)).arg(std::round((e.y - origin.y()) * 64));
    }
    return key;
}

} // namespace

void blurAlpha(QImage& alpha, double sigma) {
    if (sigma <= 0 || alpha.isNull()) return;
    // Three boxes of width w approximate a Gaussian of variance 3·(w² − 1)/12.
    const int r = std::max(1, static_cast<int>(std::round((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0)));
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(alpha, r, false);
        boxPass(alpha, r, true);
    }
}

void paintSoftShadow(QPainter& painter, const QPainterPath& shape, qreal blur, qreal offsetY, const QColor& color) {
    if (color.alpha() == 0 || blur <= 0 || shape.isEmpty()) return;
    const qreal dpr = shellPaintScale(painter);
    const QRectF bounds = shape.boundingRect().adjusted(-blur * 1.5, -blur * 1.5, blur * 1.5, blur * 1.5);

    static QCache<QString, QImage> cache(64);
    const QString key = shapeKey(shape, blur, dpr, color.rgba());
    QImage* shadow = cache.object(key);
    if (!shadow) {
        const QSize pixels(static_cast<int>(std::ceil(bounds.width() * dpr)), static_cast<int>(std::ceil(bounds.height() * dpr)));
        QImage alpha(pixels, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter p(&alpha);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(dpr, dpr);
            p.translate(-bounds.topLeft());
            p.fillPath(shape, Qt::black);
        }
        blurAlpha(alpha, blur / 2 * dpr);
        auto* colored = new QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        const double opacity = color.alphaF();
        for (int y = 0; y < pixels.height(); ++y) {
            const uchar* a = alpha.constScanLine(y);
            auto* out = reinterpret_cast<QRgb*>(colored->scanLine(y));
            for (int x = 0; x < pixels.width(); ++x) {
                const double k = a[x] / 255.0 * opacity;
                out[x] = qRgba(int(color.red() * k + 0.5), int(color.green() * k + 0.5), int(color.blue() * k + 0.5),
                               int(255 * k + 0.5));
            }
        }
        colored->setDevicePixelRatio(dpr);
        shadow = colored;
        cache.insert(key, colored, 1);
    }
    painter.drawImage(bounds.topLeft() + QPointF(0, offsetY), *shadow);
}

} // namespace plenwick
