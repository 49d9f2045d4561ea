#pragma once
// The treemap chart: the focus folder as one cushion-shaded picture filling the
// chart area, the hover and selection outlines over it, and the status bar below.
// Pointer input becomes state actions: moving hovers, a click selects, a double
// click zooms into the top-level folder under the pointer, a drag carries the last
// hovered item out as a file URL, and a secondary click asks for a context menu.
//
// The view computes nothing about cells: its TreemapModel owns the layout, the
// picture, the hover and the pointer look-ups. The view drives the model with the
// render key of the state and its own size, so the key is the only trigger of work.

#include "scanner/FileNode.h"

#include <QPoint>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class AppState;
class TaskClock;
class TreemapHighlightOverlay;
class TreemapModel;
class TreemapStatusBar;

class TreemapView final : public QWidget {
    Q_OBJECT

public:
    // Renders on the state's user-initiated executor and waits on `clock` (the
    // process's timers when none is given).
    explicit TreemapView(AppState& state, QWidget* parent = nullptr, TaskClock* clock = nullptr);
    ~TreemapView() override;

    TreemapModel& model() const noexcept { return *model_; }
    // The chart area that takes the pointer, its outline layer and the bar below.
    QWidget* chart() const noexcept;
    TreemapHighlightOverlay* overlay() const noexcept { return overlay_; }
    TreemapStatusBar* statusBar() const noexcept { return statusBar_; }

    // What stands in for the chart when there is nothing to draw.
    struct EmptyState {
        QString title, description;
    };
    std::optional<EmptyState> emptyState() const;
    bool isShowingEmptyState() const;

    // The node of the cell hovered last and the folder that holds it (for a rest
    // cell, its folder); kept when the pointer leaves, for a later menu or drag.
    const NodeRef& menuNode() const noexcept { return menuNode_; }
    const NodeRef& menuFolder() const noexcept { return menuFolder_; }
    // The paths a drag from the chart carries: the last hovered item, unless it left
    // the tree or is the scan's root.
    std::vector<std::string> dragPaths() const;

signals:
    // A secondary click: the items of `node`'s menu, and a submenu for `folder`; each
    // is null when it is not in the current tree.
    void contextMenuRequested(NodeRef node, NodeRef folder, QPoint globalPos);

private:
    class Chart;
    class EmptyStateView;
    friend class Chart;

    void onChanged(quint64 fields);
    void syncContent();
    // Asks the model for the picture of the current key (nothing when it is shown).
    void requestRender();

    // Pointer input, in the chart's coordinates.
    void handleHover(QPointF point);
    void handleHoverEnded();
    void handleTap(QPointF point);
    void handleDoubleTap(QPointF point);
    void handleContextMenu(QPoint globalPos);
    void startDrag();
    bool isInTree(const NodeRef& node) const;

    AppState& state_;
    TreemapModel* model_;
    QWidget* content_;
    Chart* chart_;
    TreemapHighlightOverlay* overlay_;
    TreemapStatusBar* statusBar_;
    EmptyStateView* empty_;
    NodeRef menuNode_;
    NodeRef menuFolder_;
};

} // namespace plenwick
