#include "shell/ShellCardBackground.h"

#include "shell/ShellShadow.h"
#include "shell/ShellStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace plenwick {

namespace {

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    const qreal r = std::max<qreal>(0, std::min({radius, rect.width() / 2, rect.height() / 2}));
    path.addRoundedRect(rect, r, r);
    return path;
}

} // namespace

QMarginsF ShellCardBackground::shadowMargins() const {
    const qreal blur = shadowBlur(), dy = shadowOffsetY();
    return QMarginsF(blur, std::max<qreal>(0, blur - dy), blur, blur + dy);
}

void ShellCardBackground::paint(QPainter& painter, const QRectF& card, const QPalette& palette) const {
    if (card.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const ShellAppearance appearance = shellAppearance(palette);
    const QColor fill = shellCardFillColor(appearance);
    // The shadow falls from what the card paints: a nearly clear card casts a nearly clear shadow.
    const QPainterPath shape = roundedRect(card, cornerRadius);
    paintSoftShadow(painter, shape, shadowBlur(), shadowOffsetY(), QColor::fromRgbF(0, 0, 0, static_cast<float>(shadowOpacity() * fill.alphaF())));

    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(shape);

    const qreal width = highlighted ? 1.5 : 1.0;
    const QColor stroke = highlighted ? shellWithOpacity(shellAccentColor(palette), 0.7) : shellCardStrokeColor(appearance);
    const qreal inset = width / 2;
    painter.setPen(QPen(stroke, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(card.adjusted(inset, inset, -inset, -inset), cornerRadius - inset));
    painter.restore();
}

ShellCard::ShellCard(ShellCardBackground background, QWidget* parent) : QWidget(parent), background_(background) {
    updateMargins();
}

void ShellCard::setHighlighted(bool highlighted) {
    if (background_.highlighted == highlighted) return;
    background_.highlighted = highlighted;
    update();
}

void ShellCard::setPadding(const QMargins& padding) {
    padding_ = padding;
    updateMargins();
}

QMargins ShellCard::shadowRoom() {
    ShellCardBackground deeper;
    deeper.highlighted = true;
    const QMarginsF room = deeper.shadowMargins();
    return QMargins(qCeil(room.left()), qCeil(room.top()), qCeil(room.right()), qCeil(room.bottom()));
}

QRectF ShellCard::cardRect() const { return QRectF(rect().marginsRemoved(shadowRoom())); }

void ShellCard::updateMargins() { setContentsMargins(padding_ + shadowRoom()); }

void ShellCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    background_.paint(painter, cardRect(), palette());
}

} // namespace plenwick
