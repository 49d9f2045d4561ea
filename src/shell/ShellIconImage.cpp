#include "shell/ShellIconImage.h"

#include "shell/ShellStyle.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace plenwick {

void paintShellIcon(QPainter& painter, const QIcon& icon, const QRectF& square) {
    if (icon.isNull() || square.isEmpty()) return;
    const qreal dpr = shellPaintScale(painter);
    const QSize logical(static_cast<int>(std::ceil(square.width())), static_cast<int>(std::ceil(square.height())));
    const QPixmap pixmap = icon.pixmap(logical, dpr);
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
