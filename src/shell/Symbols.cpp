#include "shell/Symbols.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

// Paths are drawn on a 16 × 16 grid centred in the box.
void drawOnGrid(QPainter& p, Symbol symbol, const QColor& color) {
    QPen pen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
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
    case Symbol::folder: {
        QPainterPath shape;
        shape.moveTo(1.5, 4);
        shape.lineTo(1.5, 13);
        shape.lineTo(14.5, 13);
        shape.lineTo(14.5, 5.5);
        shape.lineTo(7.5, 5.5);
        shape.lineTo(6, 3.5);
        shape.lineTo(2, 3.5);
        shape.closeSubpath();
        p.drawPath(shape);
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

QIcon symbolIcon(Symbol symbol, std::optional<QColor> color) { return QIcon(new SymbolEngine(symbol, color)); }

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color) {
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / 16.0, side / 16.0);
    drawOnGrid(painter, symbol, color);
    painter.restore();
}

} // namespace plenwick
