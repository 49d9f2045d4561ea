#include "shell/Symbols.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPalette>
#include <QPixmap>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <utility>

namespace plenwick {

namespace {

// A gear's outline on the grid: `teeth` teeth around a ring centred at `c`.
QPainterPath gearPath(QPointF c, qreal outer, qreal inner, int teeth) {
    QPainterPath path;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        const qreal angle = 2 * M_PI * (i - 0.5) / steps;
        const qreal r = i % 4 < 2 ? outer : inner;
        const QPointF point(c.x() + r * std::cos(angle), c.y() + r * std::sin(angle));
        if (i == 0) path.moveTo(point);
        else path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// `shape` with the line drawing `glyph` cut out of it, `width` wide with round ends.
QPainterPath cutOut(const QPainterPath& shape, const QPainterPath& glyph, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return shape.subtracted(stroker.createStroke(glyph));
}

QPainterPath filledGear(QPointF c, qreal outer, qreal inner, qreal hole, int teeth) {
    QPainterPath hub;
    hub.addEllipse(c, hole, hole);
    return gearPath(c, outer, inner, teeth).subtracted(hub);
}

QPainterPath folderShape() {
    QPainterPath shape;
    shape.moveTo(1.5, 4);
    shape.lineTo(1.5, 13);
    shape.lineTo(14.5, 13);
    shape.lineTo(14.5, 5.5);
    shape.lineTo(7.5, 5.5);
    shape.lineTo(6, 3.5);
    shape.lineTo(2, 3.5);
    shape.closeSubpath();
    return shape;
}

QPolygonF documentShape() { return QPolygonF({{3, 1.5}, {10, 1.5}, {13, 4.5}, {13, 14.5}, {3, 14.5}}); }

void dashedSquare(QPainter& p, QPen pen) {
    pen.setWidthF(1.2);
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({2.2, 1.6});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.8, 1.8, 12.4, 12.4), 3, 3);
}

// Paths are drawn on a 16 × 16 grid centred in the box.
void drawOnGrid(QPainter& p, Symbol symbol, const QColor& color, qreal weight) {
    QPen pen(color, 1.5 * weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (symbol) {
    case Symbol::chevronLeft:
        p.drawPolyline(QPolygonF({{10, 3}, {5, 8}, {10, 13}}));
        break;
    case Symbol::chevronRight:
        p.drawPolyline(QPolygonF({{6, 3}, {11, 8}, {6, 13}}));
        break;
    case Symbol::chevronCompactRight:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({{6.5, 3}, {9.5, 8}, {6.5, 13}}));
        break;
    case Symbol::internalDrive:
        p.drawRoundedRect(QRectF(1.75, 4.5, 12.5, 7), 1.8, 1.8);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(11.3, 8), 1, 1);
        break;
    case Symbol::arrowUp:
        p.drawLine(QPointF(8, 13.5), QPointF(8, 2.8));
        p.drawPolyline(QPolygonF({{3.5, 7.3}, {8, 2.8}, {12.5, 7.3}}));
        break;
    case Symbol::circleCircle:
        p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
        p.drawEllipse(QPointF(8, 8), 2.8, 2.8);
        break;
    case Symbol::squareGrid:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.8, 1.8, 12.4, 12.4), 2.2, 2.2);
        p.drawLine(QPointF(6, 2), QPointF(6, 14));
        p.drawLine(QPointF(10, 2), QPointF(10, 14));
        p.drawLine(QPointF(2, 6), QPointF(14, 6));
        p.drawLine(QPointF(2, 10), QPointF(14, 10));
        break;
    case Symbol::arrowClockwise: {
        const QRectF circle(2.5, 2.5, 11, 11);
        QPainterPath arc;
        arc.arcMoveTo(circle, 70);
        arc.arcTo(circle, 70, 300);
        p.drawPath(arc);
        // Head at the arc's start (top, slightly right of 12 o'clock), pointing clockwise.
        p.drawPolyline(QPolygonF({{7.2, 0.9}, {9.9, 2.8}, {7.6, 5.2}}));
        break;
    }
    case Symbol::sidebarTrailing:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        p.drawLine(QPointF(10, 2.8), QPointF(10, 13.2));
        break;
    case Symbol::warningTriangle: {
        QPainterPath triangle;
        triangle.moveTo(8, 1.2);
        triangle.lineTo(15.2, 14.2);
        triangle.lineTo(0.8, 14.2);
        triangle.closeSubpath();
        QPainterPath mark;
        mark.addRoundedRect(QRectF(7.1, 5.2, 1.8, 5.2), 0.9, 0.9);
        mark.addEllipse(QPointF(8, 12.1), 1.05, 1.05);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(triangle.subtracted(mark));
        break;
    }
    case Symbol::folder:
        p.drawPath(folderShape());
        break;
    case Symbol::warningTriangleOutline: {
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolygon(QPolygonF({{8, 1.8}, {14.6, 13.8}, {1.4, 13.8}}));
        p.drawLine(QPointF(8, 6), QPointF(8, 9.6));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(8, 11.8), 0.9, 0.9);
        break;
    }
    case Symbol::sparkles: {
        // A large four-pointed star and a small one.
        auto star = [&p](QPointF c, qreal r) {
            const qreal w = r * 0.28;
            QPainterPath path;
            path.moveTo(c.x(), c.y() - r);
            path.quadTo(c.x() + w, c.y() - w, c.x() + r, c.y());
            path.quadTo(c.x() + w, c.y() + w, c.x(), c.y() + r);
            path.quadTo(c.x() - w, c.y() + w, c.x() - r, c.y());
            path.quadTo(c.x() - w, c.y() - w, c.x(), c.y() - r);
            p.drawPath(path);
        };
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        star(QPointF(6.5, 9), 6);
        star(QPointF(12.5, 3.5), 3);
        break;
    }
    case Symbol::lockFill: {
        p.drawArc(QRectF(4.8, 1.5, 6.4, 8), 0, 180 * 16);
        p.drawLine(QPointF(4.8, 5.5), QPointF(4.8, 7.5));
        p.drawLine(QPointF(11.2, 5.5), QPointF(11.2, 7.5));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(3, 7, 10, 8), 1.6, 1.6);
        break;
    }
    case Symbol::magnifyingGlass:
        p.drawEllipse(QPointF(6.8, 6.8), 4.6, 4.6);
        pen.setWidthF(2);
        p.setPen(pen);
        p.drawLine(QPointF(10.3, 10.3), QPointF(14.2, 14.2));
        break;
    case Symbol::playCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7, 7);
        QPainterPath play;
        play.addPolygon(QPolygonF({{6.2, 4.6}, {11.6, 8}, {6.2, 11.4}}));
        play.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(disc.subtracted(play));
        break;
    }
    case Symbol::checkmarkCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7, 7);
        QPainterPathStroker stroker;
        stroker.setWidth(1.8);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        QPainterPath tick;
        tick.moveTo(4.8, 8.3);
        tick.lineTo(7, 10.5);
        tick.lineTo(11.2, 5.6);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(disc.subtracted(stroker.createStroke(tick)));
        break;
    }
    case Symbol::sliderHorizontal:
        p.drawLine(QPointF(1.5, 4), QPointF(14.5, 4));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(1.5, 12), QPointF(14.5, 12));
        p.setBrush(color);
        p.drawEllipse(QPointF(5, 4), 1.6, 1.6);
        p.drawEllipse(QPointF(11, 8), 1.6, 1.6);
        p.drawEllipse(QPointF(7, 12), 1.6, 1.6);
        break;
    case Symbol::shippingBox:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolygon(QPolygonF({{8, 1.5}, {14, 4.5}, {14, 11.5}, {8, 14.5}, {2, 11.5}, {2, 4.5}}));
        p.drawPolyline(QPolygonF({{2, 4.5}, {8, 7.5}, {14, 4.5}}));
        p.drawLine(QPointF(8, 7.5), QPointF(8, 14.5));
        break;
    case Symbol::squareStack:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolygon(QPolygonF({{8, 1.5}, {14, 4.5}, {8, 7.5}, {2, 4.5}}));
        p.drawPolyline(QPolygonF({{2, 8}, {8, 11}, {14, 8}}));
        p.drawPolyline(QPolygonF({{2, 11.5}, {8, 14.5}, {14, 11.5}}));
        break;
    case Symbol::power: {
        const QRectF circle(2.2, 2.8, 11.6, 11.6);
        QPainterPath arc;
        arc.arcMoveTo(circle, 60);
        arc.arcTo(circle, 60, 300);
        p.drawPath(arc);
        p.drawLine(QPointF(8, 1.2), QPointF(8, 7.8));
        break;
    }
    case Symbol::lockShield: {
        QPainterPath shield;
        shield.moveTo(8, 1.2);
        shield.lineTo(14, 3.4);
        shield.cubicTo(14, 9.5, 11.5, 12.8, 8, 14.8);
        shield.cubicTo(4.5, 12.8, 2, 9.5, 2, 3.4);
        shield.closeSubpath();
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPath(shield);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(5.6, 7.4, 4.8, 3.8), 0.8, 0.8);
        p.setPen(QPen(color, 1.1));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6.4, 5, 3.2, 4.6), 0, 180 * 16);
        break;
    }
    case Symbol::macWindow:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        p.drawLine(QPointF(1.8, 5.6), QPointF(14.2, 5.6));
        break;
    case Symbol::globe:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.drawEllipse(QPointF(8, 8), 2.8, 6.5);
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(2.6, 4.6), QPointF(13.4, 4.6));
        p.drawLine(QPointF(2.6, 11.4), QPointF(13.4, 11.4));
        break;
    case Symbol::docText: {
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolygon(documentShape());
        pen.setWidthF(1.1);
        p.setPen(pen);
        p.drawLine(QPointF(5.5, 7), QPointF(10.5, 7));
        p.drawLine(QPointF(5.5, 9.5), QPointF(10.5, 9.5));
        p.drawLine(QPointF(5.5, 12), QPointF(9, 12));
        break;
    }
    case Symbol::exclamationCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7.6, 7.6);
        QPainterPath glyph;
        glyph.moveTo(8, 4);
        glyph.lineTo(8, 8.8);
        glyph.moveTo(8, 11.6);
        glyph.lineTo(8, 11.7);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(disc, glyph, 1.8));
        break;
    }
    case Symbol::powerCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7.6, 7.6);
        QPainterPath glyph;
        const QRectF ring(4.2, 4.4, 7.6, 7.6);
        glyph.arcMoveTo(ring, 55);
        glyph.arcTo(ring, 55, 290);
        glyph.moveTo(8, 3.2);
        glyph.lineTo(8, 7.6);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(disc, glyph, 1.6));
        break;
    }
    case Symbol::gearshape:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawPath(gearPath(QPointF(8, 8), 7, 5.4, 8));
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
        break;
    case Symbol::gearshape2Fill:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(filledGear(QPointF(6, 9.6), 5.6, 4.3, 1.7, 8));
        p.drawPath(filledGear(QPointF(12.3, 4.2), 3.5, 2.6, 1.1, 6));
        break;
    case Symbol::ellipsisCircle:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        for (qreal x : {4.8, 8.0, 11.2}) p.drawEllipse(QPointF(x, 8), 1.05, 1.05);
        break;
    case Symbol::handRaisedFill: {
        QPainterPath hand;
        hand.addRoundedRect(QRectF(3.6, 7, 9, 8.3), 3.2, 3.2);
        const qreal fingers[][3] = {{3.6, 3.2, 6.5}, {5.9, 1.2, 8.5}, {8.2, 1.6, 8}, {10.5, 3.2, 6.5}};
        for (const auto& f : fingers) hand.addRoundedRect(QRectF(f[0], f[1], 2.05, f[2]), 1.02, 1.02);
        QPainterPath thumb;
        thumb.addRoundedRect(QRectF(-1.0, -4.2, 2.05, 5.6), 1.02, 1.02);
        QTransform place;
        place.translate(12.2, 8.6);
        place.rotate(35);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(hand.united(place.map(thumb)).simplified());
        break;
    }
    case Symbol::appDashed:
    case Symbol::squareDashed:
        dashedSquare(p, pen);
        break;
    case Symbol::tray:
    case Symbol::trayAndArrowDownFill: {
        // An open tray seen from the front: slanted sides, a notch in its rim.
        QPainterPath body;
        body.moveTo(3.2, 5);
        body.lineTo(12.8, 5);
        body.lineTo(14.5, 9.2);
        body.lineTo(14.5, 13.8);
        body.lineTo(1.5, 13.8);
        body.lineTo(1.5, 9.2);
        body.closeSubpath();
        QPainterPath rim;
        rim.moveTo(1.5, 9.2);
        rim.lineTo(5, 9.2);
        rim.lineTo(6, 11);
        rim.lineTo(10, 11);
        rim.lineTo(11, 9.2);
        rim.lineTo(14.5, 9.2);
        if (symbol == Symbol::tray) {
            pen.setWidthF(1.3);
            p.setPen(pen);
            p.drawPath(body);
            p.drawPath(rim);
            break;
        }
        QPainterPath front; // the part below the rim, filled
        front.moveTo(1.5, 9.2);
        front.lineTo(5, 9.2);
        front.lineTo(6, 11);
        front.lineTo(10, 11);
        front.lineTo(11, 9.2);
        front.lineTo(14.5, 9.2);
        front.lineTo(14.5, 13.8);
        front.lineTo(1.5, 13.8);
        front.closeSubpath();
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.setBrush(color);
        p.drawPath(front);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{1.5, 9.2}, {3.2, 5.6}}));
        p.drawPolyline(QPolygonF({{14.5, 9.2}, {12.8, 5.6}}));
        p.drawLine(QPointF(8, 0.8), QPointF(8, 7.6));
        p.drawPolyline(QPolygonF({{5.4, 5.2}, {8, 7.8}, {10.6, 5.2}}));
        break;
    }
    case Symbol::chevronDown:
        p.drawPolyline(QPolygonF({{3.5, 6}, {8, 10.5}, {12.5, 6}}));
        break;
    case Symbol::trash:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawLine(QPointF(1.8, 4), QPointF(14.2, 4));
        p.drawPolyline(QPolygonF({{5.8, 4}, {6.2, 1.8}, {9.8, 1.8}, {10.2, 4}}));
        p.drawPolyline(QPolygonF({{3.4, 4}, {4.3, 14.3}, {11.7, 14.3}, {12.6, 4}}));
        p.drawLine(QPointF(6.5, 6.6), QPointF(6.7, 11.8));
        p.drawLine(QPointF(9.5, 6.6), QPointF(9.3, 11.8));
        break;
    case Symbol::trashFill: {
        QPainterPath can;
        can.addPolygon(QPolygonF({{3.2, 4.6}, {12.8, 4.6}, {11.9, 14.6}, {4.1, 14.6}}));
        can.closeSubpath();
        can.addRoundedRect(QRectF(1.6, 2.6, 12.8, 1.8), 0.8, 0.8);
        can.addRoundedRect(QRectF(5.8, 1, 4.4, 2.4), 0.8, 0.8);
        QPainterPath grooves;
        grooves.moveTo(6.4, 7);
        grooves.lineTo(6.6, 12.2);
        grooves.moveTo(9.6, 7);
        grooves.lineTo(9.4, 12.2);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(can.simplified(), grooves, 1.1));
        break;
    }
    case Symbol::terminalFill: {
        QPainterPath window;
        window.addRoundedRect(QRectF(1, 2.2, 14, 11.6), 2.4, 2.4);
        QPainterPath prompt;
        prompt.moveTo(4, 6);
        prompt.lineTo(6.6, 8.2);
        prompt.lineTo(4, 10.4);
        prompt.moveTo(7.8, 10.6);
        prompt.lineTo(11.4, 10.6);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(window, prompt, 1.3));
        break;
    }
    case Symbol::checkmarkCircle:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.drawPolyline(QPolygonF({{5, 8.3}, {7.1, 10.4}, {11.1, 5.7}}));
        break;
    case Symbol::xmarkBinFill: {
        QPainterPath bin;
        bin.addRoundedRect(QRectF(1.5, 2, 13, 3), 1, 1);
        QPainterPath body;
        body.moveTo(2.6, 5.5);
        body.lineTo(13.4, 5.5);
        body.lineTo(12.4, 14.2);
        body.quadTo(12.3, 15, 11.5, 15);
        body.lineTo(4.5, 15);
        body.quadTo(3.7, 15, 3.6, 14.2);
        body.closeSubpath();
        QPainterPath cross;
        cross.moveTo(5.9, 8.2);
        cross.lineTo(10.1, 12.4);
        cross.moveTo(10.1, 8.2);
        cross.lineTo(5.9, 12.4);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(bin.united(body), cross, 1.6));
        break;
    }
    case Symbol::menubarRectangle:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.2, 2.5, 13.6, 11), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(1.2, 2.5, 13.6, 3), 1.5, 1.5);
        p.drawRect(QRectF(1.2, 4, 13.6, 1.5));
        break;
    case Symbol::externalDrive:
        p.drawRoundedRect(QRectF(1.5, 5, 13, 7), 2, 2);
        p.drawLine(QPointF(4, 12), QPointF(4, 13.5));
        p.drawLine(QPointF(12, 12), QPointF(12, 13.5));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(11.5, 8.5), 1, 1);
        break;
    case Symbol::externalDriveBadgePlus: {
        QPainterPath drive;
        drive.moveTo(9, 6.5);
        drive.lineTo(3.5, 6.5);
        drive.quadTo(1.5, 6.5, 1.5, 8.5);
        drive.lineTo(1.5, 11.5);
        drive.quadTo(1.5, 13.5, 3.5, 13.5);
        drive.lineTo(12.5, 13.5);
        drive.quadTo(14.5, 13.5, 14.5, 11.5);
        drive.lineTo(14.5, 10.5);
        p.drawPath(drive);
        p.drawLine(QPointF(10.7, 3.5), QPointF(15.3, 3.5));
        p.drawLine(QPointF(13, 1.2), QPointF(13, 5.8));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(11.5, 10.5), 1, 1);
        break;
    }
    case Symbol::folderBadgePlus: {
        QPainterPath folder;
        folder.moveTo(14.5, 7.5);
        folder.lineTo(14.5, 6.2);
        folder.quadTo(14.5, 5, 13.3, 5);
        folder.lineTo(7.5, 5);
        folder.lineTo(6, 3.2);
        folder.lineTo(2.7, 3.2);
        folder.quadTo(1.5, 3.2, 1.5, 4.4);
        folder.lineTo(1.5, 12.3);
        folder.quadTo(1.5, 13.5, 2.7, 13.5);
        folder.lineTo(8.5, 13.5);
        folder.moveTo(1.5, 6.8);
        folder.lineTo(9, 6.8);
        p.drawPath(folder);
        p.drawLine(QPointF(9.7, 11.8), QPointF(14.9, 11.8));
        p.drawLine(QPointF(12.3, 9.2), QPointF(12.3, 14.4));
        break;
    }
    case Symbol::xmarkCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7.2, 7.2);
        QPainterPath cross;
        cross.moveTo(5.5, 5.5);
        cross.lineTo(10.5, 10.5);
        cross.moveTo(10.5, 5.5);
        cross.lineTo(5.5, 10.5);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(disc, cross, 1.6));
        break;
    }
    case Symbol::arrowUturnBackward: {
        // From the right, up and round to the left, ending in a head pointing down.
        QPainterPath turn;
        turn.moveTo(11.9, 12);
        turn.lineTo(11.9, 8.7);
        turn.arcTo(QRectF(5.3, 3.7, 6.6, 6.6), 0, 180);
        turn.lineTo(5.3, 13.6);
        turn.moveTo(2.55, 10.85);
        turn.lineTo(5.3, 13.6);
        turn.lineTo(8.05, 10.85);
        p.drawPath(turn);
        break;
    }
    case Symbol::arrowDownCircleFill: {
        QPainterPath disc;
        disc.addEllipse(QPointF(8, 8), 7.2, 7.2);
        QPainterPath arrow;
        arrow.moveTo(8, 3.8);
        arrow.lineTo(8, 11.6);
        arrow.moveTo(4.8, 8.6);
        arrow.lineTo(8, 11.8);
        arrow.lineTo(11.2, 8.6);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(cutOut(disc, arrow, 1.6));
        break;
    }
    case Symbol::photo:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.5, 3, 13, 10), 1.5, 1.5);
        p.drawPolyline(QPolygonF({{3.5, 11}, {6.5, 7.5}, {9, 10}, {10.5, 8.5}, {12.5, 11}}));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(11, 6), 1.1, 1.1);
        break;
    case Symbol::film:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(2, 2, 12, 12), 1.5, 1.5);
        p.drawLine(QPointF(5, 2), QPointF(5, 14));
        p.drawLine(QPointF(11, 2), QPointF(11, 14));
        pen.setWidthF(1.1);
        p.setPen(pen);
        for (qreal y : {5.0, 8.0, 11.0}) {
            p.drawLine(QPointF(2, y), QPointF(5, y));
            p.drawLine(QPointF(11, y), QPointF(14, y));
        }
        break;
    case Symbol::musicNote: {
        QPainterPath flag;
        flag.moveTo(7.3, 2.5);
        flag.cubicTo(9, 4, 12, 4.5, 11.5, 8);
        p.drawLine(QPointF(7.3, 12), QPointF(7.3, 2.5));
        p.drawPath(flag);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(5.2, 12), 2.3, 1.8);
        break;
    }
    case Symbol::archivebox:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 3), 0.8, 0.8);
        p.drawRoundedRect(QRectF(2.5, 5.5, 11, 8), 0.8, 0.8);
        p.drawLine(QPointF(6.3, 8.5), QPointF(9.7, 8.5));
        break;
    case Symbol::opticalDiscDrive:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(1.5, 4.5, 13, 7.5), 1.5, 1.5);
        p.drawLine(QPointF(4, 7.5), QPointF(12, 7.5));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(11.5, 9.9), 0.8, 0.8);
        break;
    case Symbol::chevronLeftForwardSlashChevronRight:
        p.drawPolyline(QPolygonF({{5, 4.5}, {1.5, 8}, {5, 11.5}}));
        p.drawPolyline(QPolygonF({{11, 4.5}, {14.5, 8}, {11, 11.5}}));
        p.drawLine(QPointF(9.5, 3), QPointF(6.5, 13));
        break;
    case Symbol::hammer: {
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawLine(QPointF(2.5, 13.5), QPointF(8.5, 7.5));
        QPainterPath head;
        head.addRoundedRect(QRectF(-4.5, -1.8, 9, 3.6), 0.8, 0.8);
        QTransform place;
        place.translate(10, 5);
        place.rotate(45);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(place.map(head));
        break;
    }
    case Symbol::questionmarkSquareDashed: {
        dashedSquare(p, pen);
        pen.setWidthF(1.3);
        p.setPen(pen);
        QPainterPath mark;
        mark.moveTo(6.2, 6.4);
        mark.cubicTo(6.2, 4.3, 9.8, 4.3, 9.8, 6.4);
        mark.cubicTo(9.8, 7.8, 8, 7.8, 8, 9.4);
        p.drawPath(mark);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(8, 11.3), 0.8, 0.8);
        break;
    }
    case Symbol::arrowTurnUpRight: {
        QPainterPath path;
        path.moveTo(3, 14);
        path.lineTo(3, 9);
        path.quadTo(3, 5, 7, 5);
        path.lineTo(13, 5);
        p.drawPath(path);
        p.drawPolyline(QPolygonF({{10, 2}, {13, 5}, {10, 8}}));
        break;
    }
    case Symbol::lock: {
        QPainterPath shackle;
        shackle.moveTo(5, 7.5);
        shackle.lineTo(5, 5);
        shackle.cubicTo(5, 1.2, 11, 1.2, 11, 5);
        shackle.lineTo(11, 7.5);
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPath(shackle);
        p.drawRoundedRect(QRectF(3, 7, 10, 7.5), 1.5, 1.5);
        break;
    }
    case Symbol::trayFullFill: {
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawLine(QPointF(4.5, 3.5), QPointF(11.5, 3.5));
        p.drawLine(QPointF(4, 5.8), QPointF(12, 5.8));
        QPainterPath tray;
        tray.moveTo(1.5, 8.5);
        tray.lineTo(5.5, 8.5);
        tray.quadTo(5.8, 10.3, 8, 10.3);
        tray.quadTo(10.2, 10.3, 10.5, 8.5);
        tray.lineTo(14.5, 8.5);
        tray.lineTo(14.5, 12.5);
        tray.quadTo(14.5, 14, 13, 14);
        tray.lineTo(3, 14);
        tray.quadTo(1.5, 14, 1.5, 12.5);
        tray.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(tray);
        break;
    }
    case Symbol::squareGrid3x3Fill:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        for (qreal y : {1.5, 6.0, 10.5})
            for (qreal x : {1.5, 6.0, 10.5}) p.drawRoundedRect(QRectF(x, y, 4, 4), 0.8, 0.8);
        break;
    case Symbol::folderFill:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(folderShape());
        break;
    case Symbol::docFill:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPolygon(documentShape());
        break;
    case Symbol::chevronUp:
        p.drawPolyline(QPolygonF({{3, 11}, {8, 5.5}, {13, 11}}));
        break;
    case Symbol::ellipsis:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        for (qreal x : {3.2, 8.0, 12.8}) p.drawEllipse(QPointF(x, 8), 1.45, 1.45);
        break;
    case Symbol::eye:
    case Symbol::eyeSlash: {
        QPainterPath eye;
        eye.moveTo(1, 8);
        eye.quadTo(8, 1.3, 15, 8);
        eye.quadTo(8, 14.7, 1, 8);
        p.drawPath(eye);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(8, 8), 1.9, 1.9);
        if (symbol == Symbol::eyeSlash) {
            p.setPen(pen);
            p.drawLine(QPointF(2.2, 1.9), QPointF(13.8, 14.1));
        }
        break;
    }
    case Symbol::doc:
        p.drawPolygon(documentShape());
        p.drawPolyline(QPolygonF({{10, 1.5}, {10, 4.5}, {13, 4.5}}));
        break;
    case Symbol::arrowUpForwardApp:
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({{7, 2}, {3.5, 2}, {2, 3.5}, {2, 12.5}, {3.5, 14}, {12.5, 14}, {14, 12.5}, {14, 9}}));
        p.drawLine(QPointF(7.5, 8.5), QPointF(13.8, 2.2));
        p.drawPolyline(QPolygonF({{9.6, 2.2}, {13.8, 2.2}, {13.8, 6.4}}));
        break;
    case Symbol::trayArrowDown:
    case Symbol::trayArrowUp: {
        pen.setWidthF(1.3);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({{1.5, 9}, {1.5, 14}, {14.5, 14}, {14.5, 9}}));
        p.drawPolyline(QPolygonF({{1.5, 9.5}, {5, 9.5}, {6, 11.2}, {10, 11.2}, {11, 9.5}, {14.5, 9.5}}));
        p.drawLine(QPointF(8, 1.2), QPointF(8, 8.2));
        if (symbol == Symbol::trayArrowDown) p.drawPolyline(QPolygonF({{5.2, 5.4}, {8, 8.2}, {10.8, 5.4}}));
        else p.drawPolyline(QPolygonF({{5.2, 4}, {8, 1.2}, {10.8, 4}}));
        break;
    }
    case Symbol::docOnDoc:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(5.2, 1.5, 9, 10.5), 1.5, 1.5);
        p.drawPolyline(QPolygonF({{3.6, 4.2}, {1.8, 4.2}, {1.8, 14.5}, {10.8, 14.5}, {10.8, 13.2}}));
        break;
    case Symbol::infoCircle:
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.drawLine(QPointF(8, 7.2), QPointF(8, 11.6));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(8, 4.8), 0.95, 0.95);
        break;
    case Symbol::cursorArrowClick: {
        pen.setWidthF(1.2);
        p.setPen(pen);
        p.drawLine(QPointF(4.2, 1.2), QPointF(4.8, 3));
        p.drawLine(QPointF(1.2, 4.2), QPointF(3, 4.8));
        p.drawLine(QPointF(8.2, 1.8), QPointF(7.2, 3.4));
        p.drawLine(QPointF(1.8, 8.2), QPointF(3.4, 7.2));
        p.drawPolygon(QPolygonF({{6, 6}, {14.5, 9.2}, {10.6, 10.6}, {9.2, 14.5}}));
        break;
    }
    }
}

class SymbolEngine final : public QIconEngine {
public:
    SymbolEngine(Symbol symbol, std::optional<QColor> color) : symbol_(symbol), color_(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        drawSymbol(*painter, symbol_, QRectF(rect), colorFor(mode));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` is in device pixels here (QIcon multiplies by the ratio before asking).
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        const qreal dpr = std::max<qreal>(1.0, scale);
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        pixmap.setDevicePixelRatio(dpr);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), (QSizeF(size) / dpr).toSize()), mode, state);
        return pixmap;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SymbolEngine(symbol_, color_); }
    QString key() const override { return QStringLiteral("PlenwickSymbol"); }

private:
    QColor colorFor(QIcon::Mode mode) const {
        const QPalette palette = QGuiApplication::palette();
        if (mode == QIcon::Disabled) {
            QColor c = color_ ? *color_ : palette.color(QPalette::Active, QPalette::WindowText);
            c.setAlphaF(c.alphaF() * 0.35);
            return c;
        }
        if (color_) return *color_;
        return palette.color(QPalette::Active, QPalette::WindowText);
    }

    Symbol symbol_;
    std::optional<QColor> color_;
};

} // namespace

std::optional<Symbol> symbolNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Symbol> names[] = {
        {"app.dashed", Symbol::appDashed},
        {"doc.text", Symbol::docText},
        {"photo", Symbol::photo},
        {"film", Symbol::film},
        {"music.note", Symbol::musicNote},
        {"archivebox", Symbol::archivebox},
        {"opticaldiscdrive", Symbol::opticalDiscDrive},
        {"chevron.left.forwardslash.chevron.right", Symbol::chevronLeftForwardSlashChevronRight},
        {"hammer", Symbol::hammer},
        {"gearshape", Symbol::gearshape},
        {"folder", Symbol::folder},
        {"folder.fill", Symbol::folderFill},
        {"doc.fill", Symbol::docFill},
        {"doc", Symbol::doc},
        {"chevron.up", Symbol::chevronUp},
        {"ellipsis", Symbol::ellipsis},
        {"eye.slash", Symbol::eyeSlash},
        {"questionmark.square.dashed", Symbol::questionmarkSquareDashed},
        {"square.dashed", Symbol::squareDashed},
        {"arrow.turn.up.right", Symbol::arrowTurnUpRight},
        {"lock", Symbol::lock},
        {"lock.fill", Symbol::lockFill},
        {"tray.full.fill", Symbol::trayFullFill},
        {"square.grid.3x3.fill", Symbol::squareGrid3x3Fill},
    };
    for (const auto& [text, symbol] : names)
        if (text == name) return symbol;
    return std::nullopt;
}

QIcon symbolIcon(Symbol symbol, std::optional<QColor> color) { return QIcon(new SymbolEngine(symbol, color)); }

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color, qreal weight) {
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / 16.0, side / 16.0);
    drawOnGrid(painter, symbol, color, weight);
    painter.restore();
}

} // namespace plenwick
