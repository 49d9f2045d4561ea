#include "shell/ShellText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

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

int ShellText::lineHeight() const {
    // Some glyphs reach further below the line than the font's descent (an underscore,
    // at some sizes): the line keeps room for them, whatever the text, so that lines of
    // one style stay one height.
    const QFontMetricsF metrics(font());
    const qreal lowest = metrics.tightBoundingRect(QStringLiteral("_gjpqy|")).bottom();
    return std::max(fontMetrics().height(), fontMetrics().ascent() + static_cast<int>(std::ceil(lowest)));
}

QSize ShellText::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    // Eliding measures glyph bounds too; the advance alone can fall a pixel short.
    const qreal width = std::max<qreal>(metrics.horizontalAdvance(text_), metrics.boundingRect(text_).width());
    return QSize(static_cast<int>(std::ceil(width)) + 1 + m.left() + m.right(), lineHeight() + m.top() + m.bottom());
}

QSize ShellText::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    const int least = elideMode_ == Qt::ElideNone ? sizeHint().width() - m.left() - m.right()
                                                  : metrics.horizontalAdvance(QStringLiteral("…")) * 3;
    return QSize(least + m.left() + m.right(), lineHeight() + m.top() + m.bottom());
}

void ShellText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(textColor());
    painter.setFont(font());
    // The line centred on whole pixels, on a baseline that leaves its lowest glyphs
    // their room below.
    const QRect box = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    const QString text = shownText();
    const int baseline = box.top() + std::max(0, (box.height() - lineHeight()) / 2) + metrics.ascent();
    const int width = metrics.horizontalAdvance(text);
    int x = box.left();
    const Qt::Alignment horizontal = QStyle::visualAlignment(layoutDirection(), alignment_) & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight) x = box.right() + 1 - width;
    else if (horizontal & Qt::AlignHCenter) x = box.left() + (box.width() - width) / 2;
    painter.drawText(QPoint(x, baseline), text);
}

} // namespace plenwick
