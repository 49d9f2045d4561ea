#include "home/HomeSymbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>

namespace plenwick {

namespace {

// Every symbol is drawn on a 16 × 16 grid.
constexpr qreal grid = 16;

QPainterPath stroke(const QPainterPath& centreLine, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine);
}

QPainterPath disc(qreal radius = 7.2) {
    QPainterPath path;
    path.addEllipse(QPointF(8, 8), radius, radius);
    return path;
}

QPainterPath cross(QPointF centre, qreal half) {
    QPainterPath path;
    path.moveTo(centre + QPointF(-half, -half));
    path.lineTo(centre + QPointF(half, half));
    path.moveTo(centre + QPointF(half, -half));
    path.lineTo(centre + QPointF(-half, half));
    return path;
}

QPainterPath plus(QPointF centre, qreal half) {
    QPainterPath path;
    path.moveTo(centre + QPointF(-half, 0));
    path.lineTo(centre + QPointF(half, 0));
    path.moveTo(centre + QPointF(0, -half));
    path.lineTo(centre + QPointF(0, half));
    return path;
}

// A u-turn: from the right, up and round to the left, ending in an arrow head.
QPainterPath uturn(QPointF origin, qreal scale) {
    QPainterPath path;
    auto at = [&](qreal x, qreal y) { return origin + QPointF(x, y) * scale; };
    path.moveTo(at(9, 9.5));
    path.lineTo(at(9, 6.5));
    path.arcTo(QRectF(at(3, 2), at(9, 8)), 0, 180);
    path.lineTo(at(3, 11));
    path.moveTo(at(0.5, 8.5));
    path.lineTo(at(3, 11));
    path.lineTo(at(5.5, 8.5));
    return path;
}

QPainterPath drive(qreal top, qreal height) {
    QPainterPath path;
    path.addRoundedRect(QRectF(1.5, top, 13, height), 2, 2);
    return path;
}

struct Shape {
    QPainterPath outline; // stroked at the symbol's line width
    QPainterPath body;    // filled
    QPainterPath glyph;   // stroked, cut out of the body (or drawn in the glyph colour)
    QPainterPath dots;    // filled, in the symbol's colour
};

Shape shapeOf(HomeSymbol symbol) {
    Shape s;
    switch (symbol) {
    case HomeSymbol::xmarkBinFill: {
        s.body.addRoundedRect(QRectF(1.5, 2, 13, 3), 1, 1);
        QPainterPath bin;
        bin.moveTo(2.6, 5.5);
        bin.lineTo(13.4, 5.5);
        bin.lineTo(12.4, 14.2);
        bin.quadTo(12.3, 15, 11.5, 15);
        bin.lineTo(4.5, 15);
        bin.quadTo(3.7, 15, 3.6, 14.2);
        bin.closeSubpath();
        s.body = s.body.united(bin);
        s.glyph = cross(QPointF(8, 10.3), 2.1);
        break;
    }
    case HomeSymbol::powerCircleFill: {
        s.body = disc();
        QPainterPath glyph;
        glyph.arcMoveTo(QRectF(4.2, 4.6, 7.6, 7.6), 125);
        glyph.arcTo(QRectF(4.2, 4.6, 7.6, 7.6), 125, 290);
        glyph.moveTo(8, 3.4);
        glyph.lineTo(8, 8);
        s.glyph = glyph;
        break;
    }
    case HomeSymbol::menubarRectangle:
        s.outline.addRoundedRect(QRectF(1.2, 2.5, 13.6, 11), 2, 2);
        s.dots.addRoundedRect(QRectF(1.2, 2.5, 13.6, 3), 1.5, 1.5);
        s.dots.addRect(QRectF(1.2, 4, 13.6, 1.5));
        break;
    case HomeSymbol::network:
        s.outline.addEllipse(QPointF(8, 8), 6.5, 6.5);
        s.outline.addEllipse(QPointF(8, 8), 2.8, 6.5);
        s.outline.moveTo(1.5, 8);
        s.outline.lineTo(14.5, 8);
        s.outline.moveTo(2.6, 4.6);
        s.outline.lineTo(13.4, 4.6);
        s.outline.moveTo(2.6, 11.4);
        s.outline.lineTo(13.4, 11.4);
        break;
    case HomeSymbol::internalDrive:
        s.outline = drive(4.5, 7);
        s.dots.addEllipse(QPointF(11.5, 8), 1, 1);
        break;
    case HomeSymbol::externalDrive:
        s.outline = drive(5, 7);
        s.outline.moveTo(4, 12);
        s.outline.lineTo(4, 13.5);
        s.outline.moveTo(12, 12);
        s.outline.lineTo(12, 13.5);
        s.dots.addEllipse(QPointF(11.5, 8.5), 1, 1);
        break;
    case HomeSymbol::externalDriveBadgePlus:
        s.outline.moveTo(9, 6.5);
        s.outline.lineTo(3.5, 6.5);
        s.outline.quadTo(1.5, 6.5, 1.5, 8.5);
        s.outline.lineTo(1.5, 11.5);
        s.outline.quadTo(1.5, 13.5, 3.5, 13.5);
        s.outline.lineTo(12.5, 13.5);
        s.outline.quadTo(14.5, 13.5, 14.5, 11.5);
        s.outline.lineTo(14.5, 10.5);
        s.dots.addEllipse(QPointF(11.5, 10.5), 1, 1);
        s.outline.addPath(plus(QPointF(13, 3.5), 2.3));
        break;
    case HomeSymbol::folderBadgePlus:
        s.outline.moveTo(14.5, 7.5);
        s.outline.lineTo(14.5, 6.2);
        s.outline.quadTo(14.5, 5, 13.3, 5);
        s.outline.lineTo(7.5, 5);
        s.outline.lineTo(6, 3.2);
        s.outline.lineTo(2.7, 3.2);
        s.outline.quadTo(1.5, 3.2, 1.5, 4.4);
        s.outline.lineTo(1.5, 12.3);
        s.outline.quadTo(1.5, 13.5, 2.7, 13.5);
        s.outline.lineTo(8.5, 13.5);
        s.outline.moveTo(1.5, 6.8);
        s.outline.lineTo(9, 6.8);
        s.outline.addPath(plus(QPointF(12.3, 11.8), 2.6));
        break;
    case HomeSymbol::arrowClockwise: {
        const QRectF circle(2.5, 2.5, 11, 11);
        s.outline.arcMoveTo(circle, 70);
        s.outline.arcTo(circle, 70, 300);
        s.outline.moveTo(7.2, 0.9);
        s.outline.lineTo(9.9, 2.8);
        s.outline.lineTo(7.6, 5.2);
        break;
    }
    case HomeSymbol::xmarkCircleFill:
        s.body = disc();
        s.glyph = cross(QPointF(8, 8), 2.5);
        break;
    case HomeSymbol::arrowUturnBackward:
        s.outline = uturn(QPointF(2, 1.5), 1.1);
        break;
    case HomeSymbol::arrowUturnBackwardCircleFill:
        s.body = disc();
        s.glyph = uturn(QPointF(3.6, 2.6), 0.82);
        break;
    case HomeSymbol::lockShieldFill: {
        QPainterPath shield;
        shield.moveTo(8, 0.8);
        shield.cubicTo(10, 2.2, 12.2, 2.8, 14.2, 2.8);
        shield.cubicTo(14.2, 9.5, 11.8, 13.2, 8, 15.2);
        shield.cubicTo(4.2, 13.2, 1.8, 9.5, 1.8, 2.8);
        shield.cubicTo(3.8, 2.8, 6, 2.2, 8, 0.8);
        s.body = shield;
        QPainterPath lock;
        lock.addRoundedRect(QRectF(5.3, 7.4, 5.4, 4.2), 0.8, 0.8);
        QPainterPath shackle;
        shackle.moveTo(6.4, 7.6);
        shackle.lineTo(6.4, 6.4);
        shackle.arcTo(QRectF(6.4, 4.8, 3.2, 3.2), 180, -180);
        shackle.lineTo(9.6, 7.6);
        // The lock is cut out of the shield.
        s.body = s.body.subtracted(lock.united(stroke(shackle, 1.1)));
        break;
    }
    case HomeSymbol::arrowDownCircleFill:
        s.body = disc();
        s.glyph.moveTo(8, 3.8);
        s.glyph.lineTo(8, 11.6);
        s.glyph.moveTo(4.8, 8.6);
        s.glyph.lineTo(8, 11.8);
        s.glyph.lineTo(11.2, 8.6);
        break;
    }
    return s;
}

} // namespace

void drawHomeSymbol(QPainter& painter, HomeSymbol symbol, const QRectF& box, const QColor& color,
                    std::optional<QColor> glyphColor, double weight) {
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0) return;
    const Shape s = shapeOf(symbol);
    const qreal lineWidth = 1.5 * weight;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / grid, side / grid);
    painter.setPen(Qt::NoPen);

    QPainterPath filled;
    if (!s.outline.isEmpty()) filled = filled.united(stroke(s.outline, lineWidth));
    if (!s.body.isEmpty()) {
        const QPainterPath glyph = s.glyph.isEmpty() ? QPainterPath() : stroke(s.glyph, 1.6 * weight);
        if (glyphColor) {
            painter.setBrush(color);
            painter.drawPath(s.body);
            painter.setBrush(*glyphColor);
            painter.drawPath(glyph);
        } else {
            filled = filled.united(glyph.isEmpty() ? s.body : s.body.subtracted(glyph));
        }
    }
    painter.setBrush(color);
    painter.drawPath(filled);
    if (!s.dots.isEmpty()) painter.drawPath(s.dots);
    painter.restore();
}

} // namespace plenwick
