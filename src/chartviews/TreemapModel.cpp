#include "chartviews/TreemapModel.h"

#include "app/AppState.h"
#include "runtime/AfterNotifying.h"
#include "runtime/BackgroundTask.h"

#include <stop_token>
#include <utility>

namespace plenwick {

// One refresh: the key it makes a picture for, and how to abandon it.
struct TreemapModel::Run {
    TreemapRenderKey key;
    std::stop_source stop;
    std::shared_ptr<TreemapCancelFlag> flag; // set once the shading has started
};

namespace {

// The picture of a bitmap without a copy; the image keeps the bitmap alive.
QImage wrap(std::shared_ptr<const TreemapBitmap> bitmap) {
    auto* keep = new std::shared_ptr<const TreemapBitmap>(bitmap);
    QImage image(
        bitmap->bytes(), bitmap->width, bitmap->height, static_cast<qsizetype>(bitmap->stride),
        QImage::Format_RGBA8888_Premultiplied,
        [](void* info) { delete static_cast<std::shared_ptr<const TreemapBitmap>*>(info); }, keep);
    image.setDevicePixelRatio(bitmap->scale);
    return image;
}

} // namespace

TreemapModel::TreemapModel(AppState& state, Executor& renderer, TaskClock& clock, QObject* parent)
    : QObject(parent), state_(state), chartState_(state), renderer_(renderer), clock_(clock) {}

TreemapModel::~TreemapModel() { cancel(); }

TreemapRenderKey TreemapModel::keyFor(QSizeF size, double scale) const {
    return TreemapRenderKey::of(chartState_, {size.width(), size.height()}, scale);
}

void TreemapModel::refresh(const TreemapRenderKey& key) {
    if (run_ && run_->key == key) return;
    cancel();
    if (renderedKey_ && *renderedKey_ == key) return;
    auto run = std::make_shared<Run>();
    run->key = key;
    run_ = run;
    if (renderedKey_ && !image_.isNull() && renderedKey_->sameContent(key)) {
        // Only the size or the scale moved: the old picture stays, stretched, until the
        // resize has come to rest.
        taskSleep(clock_, this, resizePause, run->stop.get_token(), [this, run] {
            if (isCurrent(run)) startLayout(run);
        });
        return;
    }
    startLayout(run);
}

void TreemapModel::cancel() {
    if (!run_) return;
    run_->stop.request_stop();
    if (run_->flag) run_->flag->set();
    driver_.cancel();
    run_.reset();
}

bool TreemapModel::isCurrent(const std::shared_ptr<Run>& run) const {
    return run_ == run && !run->stop.stop_requested();
}

void TreemapModel::finish(const std::shared_ptr<Run>& run) {
    if (run_ == run) run_.reset();
}

void TreemapModel::startLayout(const std::shared_ptr<Run>& run) {
    const TreemapRenderKey& key = run->key;
    if (!key.sameContent(keyFor({}, 0))) {
        // The state moved on since the key was taken; the refresh for its new key
        // makes the picture.
        finish(run);
        return;
    }
    const NodeRef& focus = state_.focus();
    if (!focus || key.size.width < 1 || key.size.height < 1) {
        apply(nullptr, nullptr, key);
        finish(run);
        return;
    }
    driver_.start(std::make_unique<TreemapLayoutJob>(focus, chartState_, options, key.size, layoutSliceSize),
                  [this, run](std::optional<TreemapLayout> layout) {
                      if (!isCurrent(run)) return;
                      if (!layout) {
                          finish(run); // given up: its inputs moved on
                      } else if (layout->empty()) {
                          apply(nullptr, nullptr, run->key);
                          finish(run);
                      } else {
                          startRender(run, std::make_shared<const TreemapLayout>(std::move(*layout)));
                      }
                  });
}

void TreemapModel::startRender(const std::shared_ptr<Run>& run, std::shared_ptr<const TreemapLayout> layout) {
    run->flag = std::make_shared<TreemapCancelFlag>();
    // The job holds the layout (and so its nodes) until its result is back on the GUI thread.
    runInBackground(
        renderer_, this,
        [layout, flag = run->flag, parameters = parameters, scale = run->key.scale] {
            return TreemapCushionRenderer::render(layout->cells, parameters, flag.get(), layout->size, scale);
        },
        [this, run, layout](std::optional<TreemapBitmap> bitmap) {
            if (!isCurrent(run)) return;
            // A picture whose inputs moved while it was shaded is never shown.
            if (bitmap && run->key.sameContent(keyFor({}, 0)))
                apply(layout, std::make_shared<const TreemapBitmap>(std::move(*bitmap)), run->key);
            finish(run);
        },
        // Shading that fails (out of memory for the bitmap) keeps the last picture.
        [this, run](std::exception_ptr) {
            if (isCurrent(run)) finish(run);
        });
}

void TreemapModel::apply(std::shared_ptr<const TreemapLayout> layout, std::shared_ptr<const TreemapBitmap> bitmap,
                         const TreemapRenderKey& key) {
    const bool hadImage = !image_.isNull();
    layout_ = std::move(layout);
    image_ = bitmap ? wrap(std::move(bitmap)) : QImage();
    renderedKey_ = key;
    emit layoutChanged();
    if (hadImage || !image_.isNull()) emit imageChanged();
    setHoverCell(std::nullopt);
}

void TreemapModel::setHoverCell(std::optional<std::int32_t> cell) {
    if (hoverCell_ == cell) return;
    hoverCell_ = cell;
    emit hoverCellChanged();
}

std::optional<std::int32_t> TreemapModel::cellAt(QPointF point, QSizeF viewSize) const {
    if (!layout_) return std::nullopt;
    double x = point.x(), y = point.y();
    if (viewSize.width() > 0 && viewSize.height() > 0) {
        x *= layout_->size.width / viewSize.width();
        y *= layout_->size.height / viewSize.height();
    }
    return layout_->cellIndex(x, y);
}

NodeRef TreemapModel::updateHover(QPointF point, QSizeF viewSize) {
    const std::optional<std::int32_t> cell = cellAt(point, viewSize);
    if (!cell) {
        clearHover();
        return nullptr;
    }
    const auto index = static_cast<std::size_t>(*cell);
    const NodeRef& node = layout_->nodes[index];
    if (!state_.isInsideTree(node.get())) {
        clearHover();
        return nullptr;
    }
    setHoverCell(cell);
    if (layout_->cells[index].restCount == 0) {
        hoverFolder_ = retainNode(node->parent());
        callAfterNotifying(this, [this, node] {
            if (state_.hovered() != node) state_.setHovered(node);
        });
        hoverNode_ = node;
        return node;
    }
    // A rest cell stands for many small items: it hovers no node of its own.
    hoverFolder_ = node;
    releaseHover(std::exchange(hoverNode_, nullptr));
    return nullptr;
}

void TreemapModel::clearHover() {
    setHoverCell(std::nullopt);
    releaseHover(std::exchange(hoverNode_, nullptr));
    hoverFolder_ = nullptr;
}

void TreemapModel::releaseHover(NodeRef node) {
    if (!node) return;
    // A node hovered in another view stays hovered.
    callAfterNotifying(this, [this, node = std::move(node)] {
        if (state_.hovered() == node) state_.setHovered(nullptr);
    });
}

NodeRef TreemapModel::zoomTarget(QPointF point, QSizeF viewSize) const {
    const std::optional<std::int32_t> cell = cellAt(point, viewSize);
    if (!cell || *cell == 0) return nullptr;
    // The top-level cell under the point: a double click zooms one level down,
    // however deep the pointer's cell lies.
    std::int32_t top = *cell;
    while (layout_->cells[static_cast<std::size_t>(top)].parent > 0)
        top = layout_->cells[static_cast<std::size_t>(top)].parent;
    const auto index = static_cast<std::size_t>(top);
    if (layout_->cells[index].restCount > 0) return nullptr;
    const NodeRef& node = layout_->nodes[index];
    if (!state_.isInsideTree(node.get()) || !node->isContainer() || node->childCount() == 0) return nullptr;
    if (node == state_.focus()) return nullptr;
    return node;
}

} // namespace plenwick
