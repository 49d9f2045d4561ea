#include "collector/ShellCollectorChip.h"

#include "app/AppState.h"
#include "collector/CollectorPaint.h"
#include "collector/CollectorTexts.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plenwick {

ShellCollectorChip::ShellCollectorChip(const AppState& state, NodeRef node, ShellCollectorChipMetrics metrics,
                                       std::int64_t kept)
    : node_(std::move(node)), metrics_(metrics), name_(QString::fromStdString(state.displayName(*node_))),
      size_(collectorItemFigure(*node_, state.collectorLeftovers())), kept_(kept),
      selected_(state.selection() == node_) {
    const std::size_t leftovers = state.leftovers(node_.get()).size();
    if (leftovers > 0) {
        badge_ = collectorLeftoverBadge(leftovers);
        badgeHelp_ = collectorLeftoverBadgeHelp(leftovers);
    }
    if (metrics_.showsSize) sizeText_ = collectorFigureText(size_);
}

qreal ShellCollectorChip::nameWidth() const {
    const QFontMetricsF metrics(collectorFont(CollectorFont::callout));
    return std::min<qreal>(std::ceil(metrics.horizontalAdvance(name_)), metrics_.nameMaxWidth);
}

qreal ShellCollectorChip::badgeWidth() const {
    if (badge_.isEmpty()) return 0;
    return std::ceil(QFontMetricsF(collectorFont(CollectorFont::badge)).horizontalAdvance(badge_)) + 8;
}

qreal ShellCollectorChip::sizeWidth() const {
    if (sizeText_.isEmpty()) return 0;
    return std::ceil(QFontMetricsF(collectorFont(CollectorFont::callout)).horizontalAdvance(sizeText_));
}

QSizeF ShellCollectorChip::size() const {
    qreal width = kPaddingX + kIconSize + kSpacing + nameWidth();
    if (!badge_.isEmpty()) width += kSpacing + badgeWidth();
    if (!sizeText_.isEmpty()) width += kSpacing + sizeWidth();
    width += kSpacing + kRemoveSize + kPaddingX;
    const qreal line = QFontMetricsF(collectorFont(CollectorFont::callout)).height();
    return {width, std::max(kIconSize, line) + 2 * kPaddingY};
}

QRectF ShellCollectorChip::removeRect(const QRectF& chip) const {
    return {chip.right() - kPaddingX - kRemoveSize, chip.center().y() - kRemoveSize / 2, kRemoveSize, kRemoveSize};
}

QRectF ShellCollectorChip::badgeRect(const QRectF& chip) const {
    if (badge_.isEmpty()) return {};
    const qreal h = QFontMetricsF(collectorFont(CollectorFont::badge)).height() + 2;
    const qreal x = chip.left() + kPaddingX + kIconSize + kSpacing + nameWidth() + kSpacing;
    return {x, chip.center().y() - h / 2, badgeWidth(), h};
}

QString ShellCollectorChip::help() const { return collectorChipHelp(*node_, size_, kept_); }

void ShellCollectorChip::paint(QPainter& painter, const QRectF& chip, const QPalette& palette, bool hovered) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const ShellAppearance appearance = shellAppearance(palette);
    const QColor accent = shellAccentColor(palette);
    const qreal radius = chip.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected_ ? shellWithOpacity(accent, 0.18) : shellCardFillColor(appearance));
    painter.drawRoundedRect(chip, radius, radius);
    painter.setPen(QPen(selected_ ? shellWithOpacity(accent, 0.6) : shellCardStrokeColor(appearance), 1));
    painter.setBrush(Qt::NoBrush);
    const QRectF border = chip.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(border, border.height() / 2, border.height() / 2);

    qreal x = chip.left() + kPaddingX;
    const qreal midY = chip.center().y();
    paintShellIcon(painter, fileIconForNode(*node_), QRectF(x, midY - kIconSize / 2, kIconSize, kIconSize));
    x += kIconSize + kSpacing;

    const QFont callout = collectorFont(CollectorFont::callout);
    const QFontMetricsF metrics(callout);
    painter.setFont(callout);
    painter.setPen(shellPrimaryColor(palette));
    const qreal nameW = nameWidth();
    const QRectF nameRect(x, chip.top(), nameW, chip.height());
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(name_, Qt::ElideMiddle, nameW + 0.5));
    x += nameW;

    if (!badge_.isEmpty()) {
        x += kSpacing;
        const QFont badgeFont = collectorFont(CollectorFont::badge);
        const QRectF badge = badgeRect(chip);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shellWithOpacity(shellSecondaryColor(palette), 0.15));
        painter.drawRoundedRect(badge, badge.height() / 2, badge.height() / 2);
        painter.setFont(badgeFont);
        painter.setPen(shellSecondaryColor(palette));
        painter.drawText(badge, Qt::AlignCenter | Qt::TextSingleLine, badge_);
        painter.setFont(callout);
        x += badge.width();
    }
    if (!sizeText_.isEmpty()) {
        x += kSpacing;
        painter.setPen(shellSecondaryColor(palette));
        painter.drawText(QRectF(x, chip.top(), sizeWidth() + 1, chip.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, sizeText_);
    }
    drawSymbol(painter, Symbol::xmarkCircleFill, removeRect(chip),
               hovered ? shellSecondaryColor(palette) : collectorTertiaryColor(palette));
    painter.restore();
}

} // namespace plenwick
