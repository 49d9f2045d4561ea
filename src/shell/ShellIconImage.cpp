#include "shell/ShellIconImage.h"

#include "shell/ShellStyle.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

#include <cmath>

namespace plenwick {

namespace {

// The icon's image for `pixels` device pixels. Theme icons come in fixed sizes and the
// nearest one may be smaller than asked (48 for a 116-pixel square): then a larger one
// is scaled down, which stays sharp where scaling the smaller one up would blur.
QPixmap iconImage(const QIcon& icon, const QSize& logical, qreal dpr) {
    QPixmap pixmap = icon.pixmap(logical, dpr);
    const QSize pixels = (QSizeF(logical) * dpr).toSize();
    if (pixmap.isNull() || pixmap.width() >= pixels.width() || pixmap.height() >= pixels.height()) return pixmap;
    QSize larger;
    for (const QSize& size : icon.availableSizes())
        if (size.width() >= pixels.width() && size.height() >= pixels.height() &&
            (!larger.isValid() || size.width() < larger.width()))
            larger = size;
    if (!larger.isValid()) return pixmap;
    const QString key = QStringLiteral("plenwick-icon-%1-%2x%3").arg(icon.cacheKey()).arg(pixels.width()).arg(pixels.height());
    QPixmap scaled;
    if (!QPixmapCache::find(key, &scaled)) {
        scaled = icon.pixmap(larger).scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(key, scaled);
    }
    scaled.setDevicePixelRatio(dpr);
    return scaled;
}

} // namespace

void paintShellIcon(QPainter& painter, const QIcon& icon, const QRectF& square) {
    if (icon.isNull() || square.isEmpty()) return;
    const qreal dpr = shellPaintScale(painter);
    const QSize logical(static_cast<int>(std::ceil(square.width())), static_cast<int>(std::ceil(square.height())));
    const QPixmap pixmap = iconImage(icon, logical, dpr);
    if (pixmap.isNull()) return;
    // The image may come smaller or in another aspect; scale it to fit the square.
    QSizeF size = pixmap.deviceIndependentSize();
    size.scale(square.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), size);
    target.moveCenter(square.center());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    painter.restore();
}

ShellIconImage::ShellIconImage(int size, QWidget* parent) : QWidget(parent), side_(size) {
    setFixedSize(size, size);
}

void ShellIconImage::setIcon(const QIcon& icon) {
    icon_ = icon;
    update();
}

void ShellIconImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintShellIcon(painter, icon_, QRectF(rect()));
}

} // namespace plenwick
