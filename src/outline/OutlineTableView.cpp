#include "outline/OutlineTableView.h"

#include "outline/OutlineColumns.h"
#include "outline/OutlineItemModel.h"

#include <QAbstractItemDelegate>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace plenwick {

OutlineTableView::OutlineTableView(QWidget* parent) : QTreeView(parent) {
    setMouseTracking(true);
    // The list also scrolls while the state tells its views of a change (a reveal, a
    // reload): the row under the mouse is reported once the event loop turns, never
    // from inside that, and once for a burst of scrolls.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (rehoverQueued_) return;
        rehoverQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            rehoverQueued_ = false;
            rehoverUnderMouse();
        });
    });
}

FileNode* OutlineTableView::nodeAt(const QPoint& viewportPos) const {
    const auto* items = qobject_cast<const OutlineItemModel*>(model());
    return items ? items->nodeAt(indexAt(viewportPos)) : nullptr;
}

FileNode* OutlineTableView::selectedNode() const {
    const auto* items = qobject_cast<const OutlineItemModel*>(model());
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows(0) : QModelIndexList();
    return items && !rows.isEmpty() ? items->nodeAt(rows.front()) : nullptr;
}

void OutlineTableView::setHoverNode(const FileNode* node) {
    if (hoverNode_ == node) return;
    auto* items = qobject_cast<OutlineItemModel*>(model());
    auto repaintRowOf = [&](const FileNode* n) {
        if (!n || !items) return;
        const QRect rect = rowRect(items->indexOf(n));
        if (!rect.isEmpty()) viewport()->update(rect);
    };
    repaintRowOf(hoverNode_);
    hoverNode_ = node;
    repaintRowOf(hoverNode_);
}

QRect OutlineTableView::rowRect(const QModelIndex& index) const {
    // Any shown cell of the row gives its place: the name cell of a row indented past
    // its column is empty.
    for (int visual = 0; index.isValid() && visual < header()->count(); ++visual) {
        const int column = header()->logicalIndex(visual);
        if (header()->isSectionHidden(column)) continue;
        const QRect cell = visualRect(index.siblingAtColumn(column));
        if (!cell.isEmpty()) return QRect(0, cell.top(), viewport()->width(), cell.height());
    }
    return {};
}

void OutlineTableView::rehoverUnderMouse() {
    if (!window() || !window()->isActiveWindow()) return;
    const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
    if (!viewport()->rect().contains(pos)) return;
    emit rowHovered(nodeAt(pos));
}

void OutlineTableView::layoutNow() {
    executeDelayedItemsLayout();
    updateGeometries();
}

void OutlineTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* sideways = horizontalScrollBar();
    const int x = sideways->value();
    QTreeView::scrollTo(index, hint);
    sideways->setValue(x);
}

void OutlineTableView::keyboardSearch(const QString& search) {
    // Type-select goes by the name column, whatever column holds the current cell.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    QTreeView::keyboardSearch(search);
}

void OutlineTableView::mouseMoveEvent(QMouseEvent* event) {
    QTreeView::mouseMoveEvent(event);
    if (window() && window()->isActiveWindow()) emit rowHovered(nodeAt(event->position().toPoint()));
}

void OutlineTableView::mousePressEvent(QMouseEvent* event) {
    // A right click opens the menu of the clicked row without selecting it.
    if (event->button() == Qt::RightButton) return;
    QTreeView::mousePressEvent(event);
}

void OutlineTableView::leaveEvent(QEvent* event) {
    QTreeView::leaveEvent(event);
    emit rowHovered(nullptr);
}

void OutlineTableView::keyPressEvent(QKeyEvent* event) {
    const bool wasAccepted = event->isAccepted();
    event->ignore();
    emit keyPressed(event);
    if (event->isAccepted()) return;
    event->setAccepted(wasAccepted);
    QTreeView::keyPressEvent(event);
}

QModelIndex OutlineTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Left closes an open row before it goes to the parent, also while the list is
    // scrolled sideways, where the base view would go to the parent at once.
    if (action == MoveLeft && itemsExpandable()) {
        const QModelIndex row = currentIndex().siblingAtColumn(0);
        if (row.isValid() && isExpanded(row)) {
            collapse(row);
            return currentIndex();
        }
    }
    return QTreeView::moveCursor(action, modifiers);
}

void OutlineTableView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    // A key selects the current row through the rectangle of its name cell, which a row
    // indented past the name column does not have: the row itself is selected then.
    const QModelIndex current = currentIndex();
    if (current.isValid() && (command & QItemSelectionModel::Select) && !indexAt(rect.topLeft()).isValid() &&
        !indexAt(rect.bottomRight()).isValid()) {
        selectionModel()->select(current, command | QItemSelectionModel::Rows);
        return;
    }
    QTreeView::setSelection(rect, command);
}

void OutlineTableView::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuRequested(nodeAt(event->pos()), event->globalPos());
}

void OutlineTableView::startDrag(Qt::DropActions) {
    emit dragStarted();
}

void OutlineTableView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    noteViewportWidth();
}

void OutlineTableView::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    noteViewportWidth();
}

void OutlineTableView::noteViewportWidth() {
    const int width = viewport()->width();
    if (width == lastViewportWidth_ || !isVisible()) return;
    lastViewportWidth_ = width;
    emit viewportResized();
}

void OutlineTableView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem row = option;
    // The style's own hover look is replaced by the shared hover highlight.
    row.state &= ~QStyle::State_MouseOver;
    const auto* items = qobject_cast<const OutlineItemModel*>(model());
    if (hoverNode_ && items && items->nodeAt(index) == hoverNode_ && !selectionModel()->isSelected(index)) {
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.07);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        const QRectF rect = QRectF(0, option.rect.top(), viewport()->width(), option.rect.height()).adjusted(10, 0, -10, 0);
        painter->drawRoundedRect(rect, 5, 5);
        painter->restore();
    }
    QTreeView::drawRow(painter, row, index);
    drawDeepName(painter, row, index);
}

int OutlineTableView::nameRoom() const { return outlineNameRoom(columnWidth(treeColumn()), indentation()); }

int OutlineTableView::treeColumn() const {
    return treePosition() >= 0 ? treePosition() : header()->logicalIndex(0);
}

bool OutlineTableView::drawsNameAtColumnEnd(const QModelIndex& index) const {
    const int column = treeColumn();
    const int room = nameRoom();
    return column == logicalIndex(OutlineColumn::name) && columnWidth(column) >= room &&
           visualRect(index.siblingAtColumn(column)).width() < room;
}

void OutlineTableView::drawDeepName(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // Deep names give way, but each row keeps its icon and the start of its name: at the
    // end of the name column, over the indentation, where its own cell has less room.
    if (!drawsNameAtColumnEnd(index)) return;
    const int column = treeColumn();
    const QModelIndex name = index.siblingAtColumn(column);
    const int left = columnViewportPosition(column), width = columnWidth(column);
    QStyleOptionViewItem cell = option;
    const int room = nameRoom();
    cell.rect = QRect(left + width - room, option.rect.top(), room, option.rect.height());
    cell.index = name;
    cell.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(name));
    painter->save();
    painter->setClipRect(QRect(left, option.rect.top(), width, option.rect.height()), Qt::IntersectClip);
    itemDelegateForIndex(name)->paint(painter, cell, name);
    painter->restore();
}

void OutlineTableView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    // The branch marks stay inside the name column, however deep the row, and clear of
    // a deep row's name drawn at the column's end.
    const int column = treeColumn();
    const int left = columnViewportPosition(column);
    int width = columnWidth(column);
    if (drawsNameAtColumnEnd(index)) width -= nameRoom();
    painter->save();
    painter->setClipRect(QRect(left, rect.top(), std::max(0, width), rect.height()), Qt::IntersectClip);
    QTreeView::drawBranches(painter, rect, index);
    painter->restore();
}

} // namespace plenwick
