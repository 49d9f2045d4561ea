#pragma once
// The state behind one treemap view: the current layout and its cushion picture, the
// key they were made for, and the pipeline that remakes them when the key changes —
// the layout in slices on the GUI thread, then the shading on the user-initiated
// pool. It also answers the view's pointer questions (which cell, what is hovered,
// where a double click zooms to) and mirrors the hovered node into the state.
//
// A refresh for a new key abandons the one running: a superseded layout or picture is
// dropped, never shown, and the last good picture stays until a newer one is done.
// A change of size or scale alone waits out a pause first, so a live resize renders
// once, after the last size change.

#include "charts/TreemapCushionRenderer.h"
#include "charts/TreemapLayoutEngine.h"
#include "chartviews/AppStateChartState.h"
#include "chartviews/TreemapLayoutDriver.h"
#include "chartviews/TreemapRenderKey.h"
#include "runtime/Executor.h"
#include "runtime/TaskClock.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QSizeF>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace plenwick {

class AppState;

class TreemapModel final : public QObject {
    Q_OBJECT

public:
    // How long a change of size or scale alone waits before rendering.
    static constexpr std::chrono::milliseconds resizePause{100};

    // Renders on `renderer`; waits on `clock`.
    TreemapModel(AppState& state, Executor& renderer, TaskClock& clock, QObject* parent = nullptr);
    ~TreemapModel() override;

    // The state as the chart engines read it.
    const ChartState& chartState() const noexcept { return chartState_; }
    // The key of the state as it is now, for a chart of `size` points at `scale`.
    TreemapRenderKey keyFor(QSizeF size, double scale) const;

    // Makes the picture for `key`: nothing when it is already shown or being made;
    // otherwise abandons the running refresh and starts one for `key`.
    void refresh(const TreemapRenderKey& key);
    // Abandons the running refresh (the view was hidden).
    void cancel();
    bool isRefreshing() const noexcept { return run_ != nullptr; }

    // ---- What the view shows ----
    // None before the first picture, and when there is nothing to show.
    const std::shared_ptr<const TreemapLayout>& layout() const noexcept { return layout_; }
    // The picture, wrapping the cushion bitmap without a copy at its device pixel
    // ratio; null with no layout.
    const QImage& image() const noexcept { return image_; }
    const std::optional<TreemapRenderKey>& renderedKey() const noexcept { return renderedKey_; }
    std::optional<std::int32_t> hoverCell() const noexcept { return hoverCell_; }
    // The node of the hovered cell (none over a rest cell), and the folder holding it
    // (over a rest cell, the folder whose small children the cell stands for).
    const NodeRef& hoverNode() const noexcept { return hoverNode_; }
    const NodeRef& hoverFolder() const noexcept { return hoverFolder_; }

    // ---- Pointer questions, in the view's coordinates ----
    // While a layout for a new size is pending the picture is stretched to the view,
    // so points are scaled from `viewSize` to the layout's size.
    std::optional<std::int32_t> cellAt(QPointF point, QSizeF viewSize) const;
    // Hovers the cell under `point` and returns its node (none over a rest cell or
    // outside the cells); the node becomes the state's hovered node.
    NodeRef updateHover(QPointF point, QSizeF viewSize);
    // Ends the hover; the state's hovered node is cleared only if it came from here.
    void clearHover();
    // The folder a double click at `point` zooms into: the top-level folder under
    // it, never a rest cell, a top-level file, an empty folder or the focus itself.
    NodeRef zoomTarget(QPointF point, QSizeF viewSize) const;

    // ---- Settings of the pipeline ----
    TreemapCushionRenderer::Parameters parameters;
    TreemapLayoutEngine::Options options;
    std::size_t layoutSliceSize = TreemapLayoutJob::standardSliceSize;

signals:
    void layoutChanged();
    void imageChanged();
    void hoverCellChanged();

private:
    struct Run;

    void startLayout(const std::shared_ptr<Run>& run);
    void startRender(const std::shared_ptr<Run>& run, std::shared_ptr<const TreemapLayout> layout);
    bool isCurrent(const std::shared_ptr<Run>& run) const;
    void finish(const std::shared_ptr<Run>& run);
    void apply(std::shared_ptr<const TreemapLayout> layout, std::shared_ptr<const TreemapBitmap> bitmap,
               const TreemapRenderKey& key);
    void setHoverCell(std::optional<std::int32_t> cell);
    // Takes the state's hover back from `node` when no other view took it since.
    void releaseHover(NodeRef node);

    AppState& state_;
    AppStateChartState chartState_;
    Executor& renderer_;
    TaskClock& clock_;
    TreemapLayoutDriver driver_;
    std::shared_ptr<Run> run_;

    std::shared_ptr<const TreemapLayout> layout_;
    QImage image_;
    std::optional<TreemapRenderKey> renderedKey_;
    std::optional<std::int32_t> hoverCell_;
    NodeRef hoverNode_;
    NodeRef hoverFolder_;
};

} // namespace plenwick
