#pragma once
// A bordered button with a symbol above a short caption. Buttons placed side by side
// share their row's width; a caption that does not fit shrinks to 80 % of its size
// before it is cut.

#include "shell/Symbols.h"

#include <QAbstractButton>

namespace plenwick {

class ShellActionButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kSymbolSize = 15, kSymbolFrame = 18, kSpacing = 3, kPadding = 2;
    static constexpr double kMinimumScale = 0.8;

    ShellActionButton(const QString& title, Symbol symbol, QWidget* parent = nullptr);

    void setSymbol(Symbol symbol);
    Symbol symbol() const noexcept { return symbol_; }
    // The caption's font at the width the caption has: smaller when it does not fit,
    // down to the least scale.
    QFont captionFont(int room) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    Symbol symbol_;
};

} // namespace plenwick
