#pragma once
// Small pieces shared by the home screen's cards, rows and banners: hover tracking
// over a card's visible shape with its eased highlight, the accent-filled button, the
// borderless symbol button and the on/off switch.

#include "shell/Symbols.h"

#include <QAbstractButton>
#include <QIcon>
#include <QObject>
#include <QPushButton>
#include <QVariantAnimation>

#include <functional>
#include <string>

class QWidget;

namespace plenwick {

// Follows the pointer over `widget` and says whether it is inside `shape` (in the
// widget's coordinates; the whole widget when none is given). `progress` eases from 0
// to 1 as the pointer enters and back as it leaves, over 180 ms, repainting the widget.
class HomeHover final : public QObject {
    Q_OBJECT

public:
    explicit HomeHover(QWidget& widget, std::function<bool(const QPointF&)> shape = {});

    bool isHovered() const noexcept { return hovered_; }
    double progress() const noexcept { return progress_; }
    // Sets the state at once, without easing (tests and pictures).
    void setHovered(bool hovered, bool animated = true);

signals:
    void hoveredChanged(bool hovered);
    void progressChanged(double progress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& widget_;
    std::function<bool(const QPointF&)> shape_;
    QVariantAnimation animation_;
    bool hovered_ = false;
    double progress_ = 0;
};

// The bordered prominent button: the accent colour filled, white text, an optional
// symbol before the title.
class HomeProminentButton final : public QPushButton {
    Q_OBJECT

public:
    explicit HomeProminentButton(const QString& title, QWidget* parent = nullptr);
    void setSymbol(std::optional<Symbol> symbol);
    // Height of the large control size.
    static constexpr int largeHeight = 28;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Symbol> symbol_;
};

// A borderless button that shows one symbol in the tertiary style, at `opacity`.
class HomeSymbolButton final : public QAbstractButton {
    Q_OBJECT

public:
    HomeSymbolButton(Symbol symbol, int side, QWidget* parent = nullptr);
    void setOpacity(double opacity);
    double opacity() const noexcept { return opacity_; }
    QSize sizeHint() const override { return QSize(side_, side_); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol symbol_;
    int side_;
    double opacity_ = 1;
};

// The on/off switch at the small control size: a capsule track, accent when on, with
// a round knob.
class HomeSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    explicit HomeSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(32, 18); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Cards keep room for their shadow around what they show (the shared card's room).
namespace homecard {
// What a card shows inside a widget of `rect`.
QRectF visibleRect(const QRect& rect);
// The card's width inside a widget `widgetWidth` wide.
qreal visibleWidth(int widgetWidth);
// The widget's height for a card `visibleHeight` tall, and its size for a card of both.
int widgetHeight(qreal visibleHeight);
QSize widgetSize(qreal visibleWidth, qreal visibleHeight);
} // namespace homecard

} // namespace plenwick
