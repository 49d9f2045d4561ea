#include "shell/ShellText.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plenwick {

ShellText::ShellText(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setFont(shellFont(ShellTextStyle::body));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ShellText::setText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    updateGeometry();
    update();
}

void ShellText::setTextStyle(ShellTextStyle style, std::optional<QFont::Weight> weight, bool monospaced) {
    setFont(monospaced ? shellMonospacedFont(style, weight) : shellFont(style, weight));
    updateGeometry();
    update();
}

void ShellText::setTone(Tone tone) {
    tone_ = tone;
    update();
}

void ShellText::setTint(std::optional<QColor> tint) {
    tint_ = tint;
    update();
}

void ShellText::setElideMode(Qt::TextElideMode mode) {
    elideMode_ = mode;
    update();
}

void ShellText::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

QString ShellText::shownText() const {
    return fontMetrics().elidedText(text_, elideMode_, contentsRect().width());
}

QColor ShellText::textColor() const {
    if (tint_) return *tint_;
    return tone_ == Tone::primary ? shellPrimaryColor(palette()) : shellSecondaryColor(palette());
}

QSize ShellText::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    // Eliding measures glyph bounds too; the advance alone can fall a pixel short.
    const qreal width = std::max<qreal>(metrics.horizontalAdvance(text_), metrics.boundingRect(text_).width());
    return QSize(static_cast<int>(std::ceil(width)) + 1 + m.left() + m.right(), metrics.height() + m.top() + m.bottom());
}

QSize ShellText::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    const int least = elideMode_ == Qt::ElideNone ? sizeHint().width() - m.left() - m.right()
                                                  : metrics.horizontalAdvance(QStringLiteral("…")) * 3;
    return QSize(least + m.left() + m.right(), metrics.height() + m.top() + m.bottom());
}

void ShellText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment_ | Qt::AlignVCenter) | Qt::TextSingleLine, shownText());
}

} // namespace plenwick
