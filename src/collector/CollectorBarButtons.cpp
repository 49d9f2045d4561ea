#include "collector/CollectorBarButtons.h"

#include "collector/CollectorPaint.h"
#include "shell/ShellNumericText.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {
constexpr int kChevron = 9;
} // namespace

CollectorHeaderButton::CollectorHeaderButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::ArrowCursor);
    setToolTip(QStringLiteral("Show every collected item"));
    setAccessibleName(QStringLiteral("Collector"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CollectorHeaderButton::setCountText(const QString& text) {
    if (count_ == text) return;
    count_ = text;
    setAccessibleDescription(text);
    updateGeometry();
    update();
}

QSize CollectorHeaderButton::sizeHint() const {
    const QFontMetrics title(collectorFont(CollectorFont::calloutSemibold));
    const QFontMetrics caption(collectorFont(CollectorFont::caption));
    const int text = std::max(title.horizontalAdvance(QStringLiteral("Collector")),
                              caption.horizontalAdvance(count_) + 3 + kChevron);
    return QSize(22 + 8 + text + 2, std::max(22, title.height() + caption.height()));
}

void CollectorHeaderButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.6);
    const QRectF icon(0, height() / 2.0 - 11, 22, 22);
    drawSymbol(p, Symbol::trayFullFill, icon.adjusted(2, 2, -2, -2), shellAccentColor(palette()));
    const QFont titleFont = collectorFont(CollectorFont::calloutSemibold);
    const QFont captionFont = collectorFont(CollectorFont::caption);
    const QFontMetrics title(titleFont), caption(captionFont);
    const int top = (height() - title.height() - caption.height()) / 2;
    const int x = 30;
    p.setFont(titleFont);
    p.setPen(shellPrimaryColor(palette()));
    p.drawText(QRect(x, top, width() - x, title.height()), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Collector"));
    p.setFont(captionFont);
    p.setPen(shellSecondaryColor(palette()));
    const QRect countRect(x, top + title.height(), caption.horizontalAdvance(count_) + 1, caption.height());
    p.drawText(countRect, Qt::AlignLeft | Qt::AlignVCenter, count_);
    drawSymbol(p, Symbol::chevronDown,
               QRectF(countRect.right() + 3, countRect.center().y() - kChevron / 2.0 + 0.5, kChevron, kChevron),
               shellSecondaryColor(palette()));
}

CollectorSummaryButton::CollectorSummaryButton(QWidget* parent) : QAbstractButton(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CollectorSummaryButton::sizeHint() const {
    const QFontMetrics metrics(collectorFont(CollectorFont::calloutSemibold));
    return QSize(20 + 6 + metrics.horizontalAdvance(text()) + 6 + kChevron + 2, std::max(20, metrics.height()));
}

QSize CollectorSummaryButton::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

void CollectorSummaryButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.6);
    const QRectF icon(0, height() / 2.0 - 9, 18, 18);
    drawSymbol(p, Symbol::trayFullFill, icon.adjusted(1, 1, -1, -1), shellAccentColor(palette()));
    const QFont font = collectorFont(CollectorFont::calloutSemibold);
    const QFontMetrics metrics(font);
    const int x = 24;
    const int room = std::max(0, width() - x - 6 - kChevron);
    const QString shown = metrics.elidedText(text(), Qt::ElideRight, room);
    p.setFont(font);
    p.setPen(shellPrimaryColor(palette()));
    const int textWidth = metrics.horizontalAdvance(shown);
    p.drawText(QRect(x, 0, room, height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
    drawSymbol(p, Symbol::chevronDown, QRectF(x + textWidth + 6, height() / 2.0 - kChevron / 2.0, kChevron, kChevron),
               shellSecondaryColor(palette()));
}

CollectorTotal::CollectorTotal(QWidget* parent) : QWidget(parent), figure_(new ShellNumericText(*this, 220)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const QString& CollectorTotal::text() const noexcept { return figure_->text(); }

void CollectorTotal::setText(const QString& text) {
    if (figure_->text() == text) return;
    figure_->setText(text);
    setAccessibleName(text + QStringLiteral(" to free"));
    updateGeometry();
}

QSize CollectorTotal::sizeHint() const {
    const QFontMetrics caption(collectorFont(CollectorFont::caption));
    const qreal figure = shellNumericWidth(figure_->text(), collectorFont(CollectorFont::total));
    return QSize(std::max(static_cast<int>(std::ceil(figure)), caption.horizontalAdvance(QStringLiteral("to free"))) + 2,
                 QFontMetrics(collectorFont(CollectorFont::total)).height() + caption.height());
}

void CollectorTotal::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFont totalFont = collectorFont(CollectorFont::total);
    const QFont captionFont = collectorFont(CollectorFont::caption);
    const QFontMetrics total(totalFont), caption(captionFont);
    const int top = (height() - total.height() - caption.height()) / 2;
    figure_->paint(p, QRectF(0, top, width(), total.height()), Qt::AlignRight, totalFont, shellPrimaryColor(palette()));
    p.setFont(captionFont);
    p.setPen(shellSecondaryColor(palette()));
    p.drawText(QRect(0, top + total.height(), width(), caption.height()), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("to free"));
}

} // namespace plenwick
