#include "results/ShellActionButton.h"

#include "shell/ShellStyle.h"

#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int kBevelMargin = 4; // the bordered style's room around the label

} // namespace

ShellActionButton::ShellActionButton(const QString& title, Symbol symbol, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol) {
    setText(title);
    setAccessibleName(title);
    setFont(shellFont(ShellTextStyle::caption));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

void ShellActionButton::setSymbol(Symbol symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

QFont ShellActionButton::captionFont(int room) const {
    QFont f = font();
    const int wanted = QFontMetrics(f).horizontalAdvance(text());
    if (wanted <= room || wanted <= 0) return f;
    const double scale = std::max(kMinimumScale, static_cast<double>(room) / wanted);
    f.setPixelSize(std::max(1, static_cast<int>(f.pixelSize() * scale)));
    return f;
}

QSize ShellActionButton::sizeHint() const {
    const int height = 2 * kBevelMargin + 2 * kPadding + kSymbolFrame + kSpacing + fontMetrics().height();
    return QSize(std::max(48, fontMetrics().horizontalAdvance(text()) + 2 * kBevelMargin + 8), height);
}

QSize ShellActionButton::minimumSizeHint() const { return QSize(32, sizeHint().height()); }

void ShellActionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    if (isDown()) option.state |= QStyle::State_Sunken;
    else option.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);

    const QColor ink = isEnabled() ? shellPrimaryColor(palette()) : palette().color(QPalette::Disabled, QPalette::WindowText);
    const QRect inside = rect().adjusted(kBevelMargin, kBevelMargin + kPadding, -kBevelMargin, -kBevelMargin - kPadding);
    const QRectF frame(inside.left(), inside.top(), inside.width(), kSymbolFrame);
    const QRectF symbolBox(frame.center().x() - kSymbolSize / 2.0, frame.center().y() - kSymbolSize / 2.0, kSymbolSize,
                           kSymbolSize);
    drawSymbol(p, symbol_, symbolBox, ink);

    const QFont caption = captionFont(inside.width());
    p.setFont(caption);
    p.setPen(ink);
    const QFontMetrics metrics(caption);
    const QRect textRect(inside.left(), inside.top() + kSymbolFrame + kSpacing, inside.width(), metrics.height());
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, metrics.elidedText(text(), Qt::ElideRight, inside.width()));
}

} // namespace plenwick
