#include "collector/CollectorRowList.h"

#include "shell/FileIconCache.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace plenwick {

CollectorRowList::CollectorRowList(int rowHeight, int padding, QWidget* parent)
    : QAbstractScrollArea(parent), rowHeight_(rowHeight), padding_(padding) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(rowHeight_ / 2);
    installCollectorAccessibleFactory();
    whenIconReady(*this, [this](const std::string& path) { return iconPaths_.count(path) > 0; },
                  [this] { viewport()->update(); });
}

void CollectorRowList::setRows(std::vector<Row> rows) {
    const NodeRef keep = hoveredNode_;
    rows_ = std::move(rows);
    iconPaths_.clear();
    for (const Row& row : rows_)
        if (row.node) iconPaths_.insert(row.node->url());
    hovered_ = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (keep && rows_[i].node == keep) hovered_ = static_cast<int>(i);
    if (hovered_ < 0 && hoveredNode_) {
        // The row under the pointer went. Rows are set from observers of the state: its
        // leave is told once the notification is over.
        QMetaObject::invokeMethod(
            this, [this, left = std::exchange(hoveredNode_, NodeRef())] { emit rowLeft(left); }, Qt::QueuedConnection);
    }
    pressed_ = -1;
    updateScrollRange();
    viewport()->update();
}

void CollectorRowList::updateScrollRange() {
    const int content = static_cast<int>(rows_.size()) * rowHeight_ + 2 * padding_;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, content - viewport()->height()));
}

QRectF CollectorRowList::rowRect(std::size_t index) const {
    const qreal top = padding_ + static_cast<qreal>(index) * rowHeight_ - verticalScrollBar()->value();
    return {0, top, static_cast<qreal>(viewport()->width()), static_cast<qreal>(rowHeight_)};
}

int CollectorRowList::rowAt(QPointF point) const {
    const qreal y = point.y() + verticalScrollBar()->value() - padding_;
    if (y < 0 || point.x() < 0 || point.x() >= viewport()->width()) return -1;
    const auto index = static_cast<std::size_t>(y / rowHeight_);
    return index < rows_.size() ? static_cast<int>(index) : -1;
}

int CollectorRowList::removeButtonCount() const {
    return !rows_.empty() && rows_.front().removeRect ? static_cast<int>(rows_.size()) : 0;
}

QString CollectorRowList::removeButtonName(int index) const { return rows_[static_cast<std::size_t>(index)].removeName; }

QRect CollectorRowList::removeButtonRect(int index) const {
    const QRectF inViewport = rows_[static_cast<std::size_t>(index)].removeRect(rowRect(static_cast<std::size_t>(index)));
    return inViewport.translated(viewport()->pos()).toAlignedRect();
}

void CollectorRowList::pressRemoveButton(int index) {
    const NodeRef node = rows_[static_cast<std::size_t>(index)].node; // the rows may be replaced by what follows
    emit removeClicked(node);
}

bool CollectorRowList::onRemove(int row, QPointF point) const {
    if (row < 0 || !rows_[row].removeRect) return false;
    return rows_[row].removeRect(rowRect(row)).contains(point);
}

void CollectorRowList::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int first = std::max(0, (verticalScrollBar()->value() - padding_) / rowHeight_);
    for (std::size_t i = static_cast<std::size_t>(first); i < rows_.size(); ++i) {
        const QRectF rect = rowRect(i);
        if (rect.top() > viewport()->height()) break;
        if (rows_[i].paint) rows_[i].paint(painter, rect, static_cast<int>(i) == hovered_);
    }
}

void CollectorRowList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CollectorRowList::scrollContentsBy(int, int) { viewport()->update(); }

void CollectorRowList::hoverAt(QPointF point) {
    const int index = rowAt(point);
    if (index == hovered_) return;
    const NodeRef left = hoveredNode_;
    hovered_ = index;
    hoveredNode_ = index >= 0 ? rows_[index].node : NodeRef();
    if (hoveredNode_) emit rowEntered(hoveredNode_);
    if (left) emit rowLeft(left);
    viewport()->update();
}

void CollectorRowList::releaseHover() {
    const NodeRef left = std::move(hoveredNode_);
    hoveredNode_.reset();
    hovered_ = -1;
    if (left) emit rowLeft(left);
    viewport()->update();
}

void CollectorRowList::mouseMoveEvent(QMouseEvent* event) { hoverAt(event->position()); }

void CollectorRowList::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? rowAt(event->position()) : -1;
    pressedOnRemove_ = onRemove(pressed_, event->position());
}

void CollectorRowList::mouseReleaseEvent(QMouseEvent* event) {
    const int index = rowAt(event->position());
    const bool remove = onRemove(index, event->position());
    const bool click = event->button() == Qt::LeftButton && index >= 0 && index == pressed_ && remove == pressedOnRemove_;
    pressed_ = -1;
    if (!click) return;
    const NodeRef node = rows_[index].node; // the rows may be replaced by what follows
    if (remove)
        emit removeClicked(node);
    else
        emit rowClicked(node);
}

void CollectorRowList::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    releaseHover();
}

void CollectorRowList::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    releaseHover();
}

void CollectorRowList::contextMenuEvent(QContextMenuEvent* event) {
    const int index = rowAt(event->pos());
    if (index >= 0) emit contextMenuRequested(rows_[index].node, event->globalPos());
}

bool CollectorRowList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) releaseHover();
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = rowAt(help->pos());
        if (index < 0) {
            QToolTip::hideText();
            return true;
        }
        const bool remove = onRemove(index, help->pos());
        const QString text = remove ? QStringLiteral("Remove from Collector") : rows_[index].help;
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), rowRect(index).toAlignedRect());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace plenwick
