#pragma once
// One treemap layout build cut into slices, so that it can share the GUI thread:
// each step processes a slice of cursor positions. Steps run on later turns of the
// event loop than the one that made the job, so every step, the first included,
// gives the build up when it was cancelled or its inputs moved on (tree version,
// focus, colour mode, type filter, collector).

#include "charts/ChartState.h"
#include "charts/TreemapLayout.h"
#include "charts/TreemapLayoutEngine.h"

#include <cstddef>
#include <optional>

namespace plenwick {

class TreemapLayoutJob {
public:
    static constexpr std::size_t standardSliceSize = 20000;
    enum class Status { running, finished, gaveUp };

    TreemapLayoutJob(NodeRef focus, const ChartState& state, TreemapLayoutEngine::Options options, TreemapSize size,
                     std::size_t sliceSize = standardSliceSize);

    // Runs the next slice. Once it returns `finished`, takeLayout() gives the layout.
    Status step();
    Status status() const noexcept { return status_; }
    void cancel() noexcept { cancelled_ = true; }
    TreemapLayout takeLayout();

private:
    bool inputsChanged() const;

    const ChartState& state_;
    TreemapSize size_;
    std::size_t sliceSize_;
    std::optional<TreemapLayoutEngine::Builder> builder_; // none for the empty layout
    Status status_ = Status::running;
    bool cancelled_ = false;
    std::int64_t treeVersion_;
    ColorMode colorMode_;
    std::optional<TypeFilter> typeFilter_;
    std::int64_t collectorVersion_;
};

} // namespace plenwick
