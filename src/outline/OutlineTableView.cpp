#include "outline/OutlineTableView.h"

#include "outline/OutlineItemModel.h"

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
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        expandedFolders_.emplace_back(index);
        updateDeepestRowIndent();
    });
    connect(this, &QTreeView::collapsed, this, [this] { updateDeepestRowIndent(); });
}

void OutlineTableView::reset() {
    QTreeView::reset();
    expandedFolders_.clear();
    updateDeepestRowIndent();
}

void OutlineTableView::updateDeepestRowIndent() {
    std::erase_if(expandedFolders_, [this](const QPersistentModelIndex& index) {
        return !index.isValid() || !isExpanded(index);
    });
    // The rows shown lie one level below the deepest expanded folder whose ancestors
    // are all expanded too.
    int deepest = 0;
    for (const QPersistentModelIndex& folder : expandedFolders_) {
        int depth = 1;
        bool shown = true;
        for (QModelIndex a = folder.parent(); a.isValid() && shown; a = a.parent(), ++depth) shown = isExpanded(a);
        if (shown) deepest = std::max(deepest, depth);
    }
    const int indent = indentation() * (deepest + (rootIsDecorated() ? 1 : 0));
    if (indent == deepestRowIndent_) return;
    deepestRowIndent_ = indent;
    emit deepestRowIndentChanged();
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
    const QRect cell = visualRect(index);
    if (cell.isEmpty()) return {};
    return QRect(0, cell.top(), viewport()->width(), cell.height());
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
}

void OutlineTableView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    // The branch marks stay inside the name column, however deep the row.
    const int column = treePosition() >= 0 ? treePosition() : header()->logicalIndex(0);
    const int left = columnViewportPosition(column);
    painter->save();
    painter->setClipRect(QRect(left, rect.top(), columnWidth(column), rect.height()), Qt::IntersectClip);
    QTreeView::drawBranches(painter, rect, index);
    painter->restore();
}

} // namespace plenwick
