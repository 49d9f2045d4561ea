#pragma once
// A vertical list of drawn rows of one height, scrolled by its own scroll bar: the
// collector's items list and the confirm sheet's list. Only the rows in view are
// drawn, however many there are. Interactive lists track the row under the pointer
// and a remove button in each row. Each row shows its node's icon: the list is drawn
// again when an icon that was still being looked up arrives.

#include "collector/CollectorAccessible.h"
#include "scanner/FileNode.h"

#include <QAbstractScrollArea>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace plenwick {

class CollectorRowList final : public QAbstractScrollArea, public CollectorRemoveButtons {
    Q_OBJECT

public:
    struct Row {
        // Draws the row in `rect` (viewport coordinates).
        std::function<void(QPainter&, const QRectF& rect, bool hovered)> paint;
        // The remove button's square inside `rect`; empty when the row has none.
        std::function<QRectF(const QRectF& rect)> removeRect;
        QString removeName; // the remove button's accessible name
        QString help;
        NodeRef node;
    };

    CollectorRowList(int rowHeight, int padding, QWidget* parent = nullptr);

    void setRows(std::vector<Row> rows);
    std::size_t rowCount() const noexcept { return rows_.size(); }
    // The row's rectangle in viewport coordinates, scrolling included.
    QRectF rowRect(std::size_t index) const;
    int rowAt(QPointF viewportPoint) const;
    int hoveredRow() const noexcept { return hovered_; }

    // The rows' remove buttons, for assistive technology.
    int removeButtonCount() const override;
    QString removeButtonName(int index) const override;
    QRect removeButtonRect(int index) const override;
    void pressRemoveButton(int index) override;

signals:
    void rowEntered(const NodeRef& node);
    void rowLeft(const NodeRef& node);
    void rowClicked(const NodeRef& node);
    void removeClicked(const NodeRef& node);
    void contextMenuRequested(const NodeRef& node, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateScrollRange();
    void hoverAt(QPointF point);
    void releaseHover();
    bool onRemove(int row, QPointF point) const;

    int rowHeight_;
    int padding_;
    std::vector<Row> rows_;
    std::unordered_set<std::string> iconPaths_; // the rows' nodes' paths, whose icons may arrive later
    int hovered_ = -1;
    NodeRef hoveredNode_;
    int pressed_ = -1;
    bool pressedOnRemove_ = false;
};

} // namespace plenwick
