#include "outline/OutlineGlyphs.h"

#include <QPainter>

#include <algorithm>

namespace plenwick {

namespace {

// Every glyph is drawn on a 16 × 16 grid, scaled into its box.
void drawOnGrid(QPainter& p, OutlineGlyph glyph) {
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
    }
}

} // namespace

void drawOutlineGlyph(QPainter& painter, OutlineGlyph glyph, const QRectF& box) {
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0) return;
    const QRectF square(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(QTransform::fromScale(side / 16.0, side / 16.0) * QTransform::fromTranslate(square.x(), square.y()),
                         true);
    drawOnGrid(painter, glyph);
    painter.restore();
}

} // namespace plenwick
