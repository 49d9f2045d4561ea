#include "outline/OutlineCellDelegate.h"

#include "app/AppState.h"
#include "outline/OutlineCellContent.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineFileIcons.h"
#include "outline/OutlineGlyphs.h"
#include "shell/Symbols.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineTableView.h"
#include "outline/OutlineTones.h"
#include "services/Formatters.h"
#include "shell/ShellStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

int r(double v) { return static_cast<int>(std::lround(v)); }

struct CellPaint {
    QPainter& painter;
    QRect rect;
    QPalette palette;
    bool emphasized;  // drawn on the selection colour
};

void paintName(CellPaint& c, const FileNode& node, const OutlineTableCoordinator& coordinator,
               const OutlineCollected& collected) {
    const AppState& state = coordinator.state();
    const std::optional<QString> detail = outlineDetailPath(node, coordinator.flatList(), *state.volumeNames());
    const int h = c.rect.height(), w = c.rect.width();
    const int side = detail ? 24 : 16;
    const QRect icon(c.rect.left() + 2, c.rect.top() + r((h - side) / 2.0), side, side);
    c.painter.save();
    if (collected.collected) c.painter.setOpacity(c.painter.opacity() * 0.55);
    outlineFileIcon(node).paint(&c.painter, icon);
    c.painter.restore();
    if (node.kind() == FileNode::Kind::symlink || node.kind() == FileNode::Kind::inaccessible) {
        const QRect badge(icon.right() + 1 - 9, icon.bottom() + 1 - 9, 11, 11);
        drawOutlineGlyph(c.painter,
                         node.kind() == FileNode::Kind::symlink ? OutlineGlyph::linkBadge : OutlineGlyph::lockBadge, badge);
    }

    const int textX = icon.right() + 1 + 6;
    int textWidth = std::max(0, c.rect.right() + 1 - textX - 2);
    const QColor highlighted = c.palette.color(QPalette::HighlightedText);  // of the current group
    if (collected.collectorItem) {
        const QRect mark(c.rect.left() + w - 16, c.rect.top() + r((h - 14) / 2.0), 14, 14);
        drawSymbol(c.painter, Symbol::trayFullFill, mark.adjusted(2, 2, -2, -2),
                   c.emphasized ? highlighted : outlineTone(c.palette, OutlineTone::secondary));
        textWidth = std::max(0, textWidth - 16);
    }

    const bool isFocus = coordinator.showsTree() && state.focus().get() == &node;
    QFont nameFont = shellFont(ShellTextStyle::body, isFocus ? QFont::DemiBold : QFont::Normal);
    QColor nameColor;
    if (collected.collected) {
        nameFont.setStrikeOut(true);
        nameColor = c.emphasized ? QColor(highlighted.red(), highlighted.green(), highlighted.blue(), r(255 * 0.8))
                                 : outlineTone(c.palette, OutlineTone::secondary);
    } else if (c.emphasized) {
        nameColor = highlighted;
    } else {
        nameColor = outlineTone(c.palette, node.kind() == FileNode::Kind::inaccessible ? OutlineTone::tertiary : OutlineTone::label);
    }
    const QFontMetrics nameMetrics(nameFont);
    const Qt::TextElideMode elide = node.isContainer() ? Qt::ElideRight : Qt::ElideMiddle;
    const QString name = nameMetrics.elidedText(QString::fromStdString(state.displayName(node)), elide, textWidth);
    const int n = nameMetrics.height();
    c.painter.setFont(nameFont);
    c.painter.setPen(nameColor);
    if (!detail) {
        c.painter.drawText(QRect(textX, c.rect.top() + r((h - n) / 2.0), textWidth, n), Qt::AlignLeft | Qt::AlignVCenter,
                           name);
        return;
    }
    const QFont detailFont = shellFont(ShellTextStyle::subheadline);
    const QFontMetrics detailMetrics(detailFont);
    const int d = detailMetrics.height();
    const int top = c.rect.top() + r((h - n - d) / 2.0);
    c.painter.drawText(QRect(textX, top, textWidth, n), Qt::AlignLeft | Qt::AlignVCenter, name);
    c.painter.setFont(detailFont);
    c.painter.setPen(c.emphasized ? highlighted : outlineTone(c.palette, OutlineTone::secondary));
    c.painter.drawText(QRect(textX, top + n, textWidth, d), Qt::AlignLeft | Qt::AlignVCenter,
                       detailMetrics.elidedText(*detail, Qt::ElideLeft, textWidth));
}

void paintText(CellPaint& c, const QString& text, OutlineTone tone) {
    const QFont font = shellFont(ShellTextStyle::callout);
    const QFontMetrics metrics(font);
    const int f = metrics.height();
    c.painter.setFont(font);
    c.painter.setPen(c.emphasized ? c.palette.color(QPalette::HighlightedText) : outlineTone(c.palette, tone));
    const QRect box(c.rect.left(), c.rect.top() + r((c.rect.height() - f) / 2.0), std::max(0, c.rect.width() - 2), f);
    c.painter.save();
    c.painter.setClipRect(box);
    c.painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    c.painter.restore();
}

void paintShare(CellPaint& c, const FileNode& node, const OutlineTableCoordinator& coordinator,
                const OutlineCollected& collected) {
    const OutlineShare share = outlineShare(node, coordinator.flatList());
    auto clamp = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
    const double fraction = clamp(share.fraction);
    RGB rgb = coordinator.state().color(node);
    if (collected.collected) rgb = outlineCollectedBarColor(rgb);
    const int w = c.rect.width(), h = c.rect.height();
    const int barWidth = std::max(8, w - 40);
    const int barY = c.rect.top() + r((h - 6) / 2.0);
    const int x = c.rect.left() + 2;
    c.painter.save();
    c.painter.setRenderHint(QPainter::Antialiasing);
    c.painter.setPen(Qt::NoPen);
    c.painter.setBrush(c.emphasized ? QColor(255, 255, 255, r(255 * 0.25)) : outlineTone(c.palette, OutlineTone::quaternary));
    c.painter.drawRoundedRect(QRectF(x, barY, barWidth, 6), 3, 3);
    if (fraction > 0) {
        c.painter.setBrush(QColor::fromRgbF(float(rgb.red), float(rgb.green), float(rgb.blue)));
        c.painter.drawRoundedRect(QRectF(x, barY, std::max(6.0, barWidth * fraction), 6), 3, 3);
    }
    c.painter.restore();
    const QFont font = shellFont(ShellTextStyle::subheadline);
    const QFontMetrics metrics(font);
    const int t = metrics.height();
    const QRect label(x + barWidth + 2, c.rect.top() + r((h - t) / 2.0), std::max(0, w - (2 + barWidth) - 4), t);
    c.painter.setFont(font);
    c.painter.setPen(c.emphasized ? c.palette.color(QPalette::HighlightedText) : outlineTone(c.palette, OutlineTone::secondary));
    c.painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                       share.known ? QString::fromStdString(formatPercent(clamp(share.percent))) : QStringLiteral("—"));
}

} // namespace

OutlineCellDelegate::OutlineCellDelegate(const OutlineTableCoordinator& coordinator, QObject* parent)
    : QStyledItemDelegate(parent), coordinator_(coordinator) {}

void OutlineCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* model = qobject_cast<const OutlineItemModel*>(index.model());
    const FileNode* node = model ? model->nodeAt(index) : nullptr;
    const std::optional<OutlineColumn> column = outlineColumnAt(index.column());
    // A row indented past its column has no room left in it; one indented nearly as far
    // has its name drawn by the table at the column's end instead.
    if (!node || !column || option.rect.isEmpty()) return;
    if (*column == OutlineColumn::name) {
        const auto* table = qobject_cast<const OutlineTableView*>(option.widget);
        if (option.rect.width() < (table ? table->nameRoom() : kOutlineNameRoomLeast)) return;
    }

    QStyleOptionViewItem background = option;
    background.state &= ~QStyle::State_MouseOver;
    background.text.clear();
    background.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const AppState& state = coordinator_.state();
    const OutlineCollected collected = outlineCollected(*node, state);
    // Selected rows draw on the selection colour, in its text colour.
    const bool emphasized = option.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    painter->setOpacity(outlineRowOpacity(*node, state));
    QPalette palette = option.palette;
    palette.setCurrentColorGroup((option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive);
    CellPaint cell{*painter, option.rect, palette, emphasized};
    switch (*column) {
    case OutlineColumn::name: paintName(cell, *node, coordinator_, collected); break;
    case OutlineColumn::share: paintShare(cell, *node, coordinator_, collected); break;
    case OutlineColumn::size:
        paintText(cell, outlineSizeText(*node), collected.collected ? OutlineTone::secondary : OutlineTone::label);
        break;
    case OutlineColumn::items: paintText(cell, outlineItemsText(*node), OutlineTone::secondary); break;
    case OutlineColumn::modified: paintText(cell, outlineModifiedText(*node), OutlineTone::secondary); break;
    }
    painter->restore();
}

QSize OutlineCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), coordinator_.rowHeight());
}

bool OutlineCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || index.column() != logicalIndex(OutlineColumn::name))
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const auto* model = qobject_cast<const OutlineItemModel*>(index.model());
    const FileNode* node = model ? model->nodeAt(index) : nullptr;
    if (!node) return false;
    QToolTip::showText(event->globalPos(), outlineNameToolTip(*node, outlineCollected(*node, coordinator_.state())), view);
    return true;
}

} // namespace plenwick
