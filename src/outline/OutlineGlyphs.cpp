#include "outline/OutlineGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace plenwick {

namespace {

// Every glyph is drawn on a 16 × 16 grid, scaled into its box.
void drawOnGrid(QPainter& p, OutlineGlyph glyph, const QColor& color) {
    QPen pen(color, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (glyph) {
    case OutlineGlyph::linkBadge:
    case OutlineGlyph::lockBadge: {
        const bool link = glyph == OutlineGlyph::linkBadge;
        p.setPen(Qt::NoPen);
        p.setBrush(link ? QColor(0, 122, 255) : QColor(142, 142, 147));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        if (link) {
            QPen white(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            p.setPen(white);
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(5, 11), QPointF(10.8, 5.2));
            p.drawPolyline(QPolygonF({{6.2, 5}, {11, 5}, {11, 9.8}}));
        } else {
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(4.5, 7.4, 7, 5), 1, 1);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Qt::white, 1.6));
            p.drawArc(QRectF(5.8, 3.8, 4.4, 6.4), 0, 180 * 16);
            p.drawLine(QPointF(5.8, 7), QPointF(5.8, 7.6));
            p.drawLine(QPointF(10.2, 7), QPointF(10.2, 7.6));
        }
        break;
    }
    case OutlineGlyph::collectedMark: {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(3.5, 2, 9, 6), 1, 1);  // the papers
        QPainterPath tray;
        tray.moveTo(1, 8);
        tray.lineTo(5, 8);
        tray.quadTo(8, 11, 11, 8);
        tray.lineTo(15, 8);
        tray.lineTo(15, 13);
        tray.quadTo(15, 14.5, 13.5, 14.5);
        tray.lineTo(2.5, 14.5);
        tray.quadTo(1, 14.5, 1, 13);
        tray.closeSubpath();
        p.drawPath(tray);
        break;
    }
    case OutlineGlyph::document: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath page;
        page.moveTo(3, 1.5);
        page.lineTo(9.5, 1.5);
        page.lineTo(13, 5);
        page.lineTo(13, 14.5);
        page.lineTo(3, 14.5);
        page.closeSubpath();
        p.drawPath(page);
        p.drawPolyline(QPolygonF({{9.5, 1.5}, {9.5, 5}, {13, 5}}));
        break;
    }
    case OutlineGlyph::magnifier:
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(6.8, 6.8), 4.6, 4.6);
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawLine(QPointF(10.3, 10.3), QPointF(14.2, 14.2));
        break;
    }
}

} // namespace

void drawOutlineGlyph(QPainter& painter, OutlineGlyph glyph, const QRectF& box, const QColor& color) {
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0) return;
    const QRectF square(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(QTransform::fromScale(side / 16.0, side / 16.0) * QTransform::fromTranslate(square.x(), square.y()),
                         true);
    drawOnGrid(painter, glyph, color);
    painter.restore();
}

QIcon outlineGlyphIcon(OutlineGlyph glyph, const QColor& color, int side) {
    QIcon icon;
    for (int scale : {1, 2, 3}) {
        QPixmap pixmap(side * scale, side * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            drawOutlineGlyph(painter, glyph, QRectF(0, 0, pixmap.width(), pixmap.height()), color);
        }
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace plenwick
