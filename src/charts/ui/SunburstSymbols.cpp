#include "charts/ui/SunburstSymbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <initializer_list>

namespace plenwick {

void drawSunburstSymbol(QPainter& painter, SunburstSymbol symbol, const QRectF& box, const QColor& color, bool bold) {
    if (symbol == SunburstSymbol::none) return;
    const double s = std::min(box.width(), box.height());
    const QPointF o(box.center().x() - s / 2, box.center().y() - s / 2);
    auto at = [&](double x, double y) { return QPointF(o.x() + x * s, o.y() + y * s); };
    // A filled outline through points given as fractions of the box.
    auto shape = [&](std::initializer_list<QPointF> points) {
        QPolygonF polygon;
        for (const QPointF& p : points) polygon << at(p.x(), p.y());
        painter.drawPolygon(polygon);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, s * (bold ? 0.16 : 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    switch (symbol) {
    case SunburstSymbol::none:
        break;
    case SunburstSymbol::chevronUp: {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QPointF points[] = {at(0.18, 0.68), at(0.5, 0.34), at(0.82, 0.68)};
        painter.drawPolyline(points, 3);
        break;
    }
    case SunburstSymbol::folderFill:
        shape({{0.06, 0.22}, {0.38, 0.22}, {0.47, 0.32}, {0.94, 0.32}, {0.94, 0.84}, {0.06, 0.84}});
        break;
    case SunburstSymbol::docFill:
        shape({{0.2, 0.06}, {0.58, 0.06}, {0.8, 0.28}, {0.8, 0.94}, {0.2, 0.94}});
        break;
    case SunburstSymbol::trayFullFill:
        // A tray with two sheets in it.
        shape({{0.06, 0.52}, {0.32, 0.52}, {0.38, 0.62}, {0.62, 0.62}, {0.68, 0.52}, {0.94, 0.52}, {0.94, 0.88},
               {0.06, 0.88}});
        painter.drawRect(QRectF(at(0.2, 0.14), at(0.8, 0.22)));
        painter.drawRect(QRectF(at(0.14, 0.3), at(0.86, 0.38)));
        break;
    case SunburstSymbol::ellipsis:
        for (double x : {0.2, 0.5, 0.8}) painter.drawEllipse(at(x, 0.5), s * 0.09, s * 0.09);
        break;
    case SunburstSymbol::eyeSlash: {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath eye;
        eye.moveTo(at(0.06, 0.5));
        eye.quadTo(at(0.5, 0.08), at(0.94, 0.5));
        eye.quadTo(at(0.5, 0.92), at(0.06, 0.5));
        painter.drawPath(eye);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(at(0.5, 0.5), s * 0.12, s * 0.12);
        painter.setPen(pen);
        painter.drawLine(at(0.14, 0.12), at(0.86, 0.88));
        break;
    }
    }
    painter.restore();
}

} // namespace plenwick
