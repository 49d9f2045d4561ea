#include "home/HomeControls.h"

#include "home/HomeStyle.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QWidget>
#include <QtMath>

namespace plenwick {

HomeHover::HomeHover(QWidget& widget, std::function<bool(const QPointF&)> shape)
    : QObject(&widget), widget_(widget), shape_(std::move(shape)) {
    widget_.setMouseTracking(true);
    widget_.setAttribute(Qt::WA_Hover);
    widget_.installEventFilter(this);
    animation_.setDuration(180);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toDouble();
        widget_.update();
        emit progressChanged(progress_);
    });
}

void HomeHover::setHovered(bool hovered, bool animated) {
    if (hovered == hovered_) {
        if (!animated && animation_.state() == QAbstractAnimation::Running) {
            animation_.stop();
            progress_ = hovered ? 1 : 0;
            widget_.update();
            emit progressChanged(progress_);
        }
        return;
    }
    hovered_ = hovered;
    animation_.stop();
    if (animated && widget_.isVisible()) {
        animation_.setStartValue(progress_);
        animation_.setEndValue(hovered ? 1.0 : 0.0);
        animation_.start();
    } else {
        progress_ = hovered ? 1 : 0;
        widget_.update();
        emit progressChanged(progress_);
    }
    emit hoveredChanged(hovered_);
}

bool HomeHover::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &widget_) return false;
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove: {
        const QPointF at = static_cast<QHoverEvent*>(event)->position();
        setHovered(!shape_ || shape_(at));
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Hide:
        setHovered(false, event->type() != QEvent::Hide);
        break;
    default:
        break;
    }
    return false;
}

HomeProminentButton::HomeProminentButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    setFont(shellFont(ShellTextStyle::body, QFont::Medium));
    setCursor(Qt::ArrowCursor);
    setAutoDefault(false);
}

void HomeProminentButton::setSymbol(std::optional<Symbol> symbol) {
    symbol_ = symbol;
    updateGeometry();
    update();
}

QSize HomeProminentButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int symbolRoom = symbol_ ? 14 + 6 : 0;
    return QSize(metrics.horizontalAdvance(text()) + symbolRoom + 28, largeHeight);
}

QSize HomeProminentButton::minimumSizeHint() const { return QSize(40, largeHeight); }

void HomeProminentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = shellAccentColor(palette());
    if (isDown()) fill = fill.darker(118);
    if (!isEnabled()) fill = shellWithOpacity(fill, 0.4);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, 7, 7);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        painter.setPen(QPen(shellWithOpacity(Qt::white, 0.55), 1.5));
        painter.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 5.5, 5.5);
    }
    const QColor ink = isEnabled() ? QColor(Qt::white) : shellWithOpacity(Qt::white, 0.7);
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    const qreal symbolSide = 14, gap = 6;
    const qreal total = textWidth + (symbol_ ? symbolSide + gap : 0);
    qreal x = (width() - total) / 2;
    if (symbol_) {
        drawSymbol(painter, *symbol_, QRectF(x, (height() - symbolSide) / 2, symbolSide, symbolSide), ink);
        x += symbolSide + gap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

HomeSymbolButton::HomeSymbolButton(Symbol symbol, int side, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), side_(side) {
    setFixedSize(side, side);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::TabFocus);
}

void HomeSymbolButton::setOpacity(double opacity) {
    if (opacity_ == opacity) return;
    opacity_ = opacity;
    update();
}

void HomeSymbolButton::paintEvent(QPaintEvent*) {
    if (opacity_ <= 0) return;
    QPainter painter(this);
    painter.setOpacity(opacity_);
    QColor color = homeTertiaryColor(palette());
    if (isDown()) color = shellSecondaryColor(palette());
    drawSymbol(painter, symbol_, QRectF(rect()).adjusted(1, 1, -1, -1), color);
}

HomeSwitch::HomeSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFixedSize(sizeHint());
    setCursor(Qt::ArrowCursor);
}

void HomeSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const ShellAppearance appearance = shellAppearance(palette());
    QColor fill = isChecked() ? shellAccentColor(palette()) : shellRingTrackColor(appearance);
    if (!isChecked()) fill = shellWithOpacity(shellPrimaryColor(palette()), appearance == ShellAppearance::dark ? 0.22 : 0.12);
    if (!isEnabled()) fill = shellWithOpacity(fill, 0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(shellWithOpacity(shellAccentColor(palette()), 0.5), 2));
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), track.height() / 2 + 1, track.height() / 2 + 1);
    }
}

namespace homecard {

QRectF visibleRect(const QRect& rect) { return QRectF(rect.marginsRemoved(ShellCard::shadowRoom())); }

qreal visibleWidth(int widgetWidth) {
    const QMargins room = ShellCard::shadowRoom();
    return widgetWidth - room.left() - room.right();
}

int widgetHeight(qreal visibleHeight) {
    const QMargins room = ShellCard::shadowRoom();
    return qCeil(visibleHeight) + room.top() + room.bottom();
}

QSize widgetSize(qreal visibleWidth, qreal visibleHeight) {
    const QMargins room = ShellCard::shadowRoom();
    return QSize(qCeil(visibleWidth) + room.left() + room.right(), widgetHeight(visibleHeight));
}

} // namespace homecard

} // namespace plenwick
