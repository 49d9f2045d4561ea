#include "charts/TreemapLayoutJob.h"

namespace plenwick {

TreemapLayoutJob::TreemapLayoutJob(NodeRef focus, const ChartState& state, TreemapLayoutEngine::Options options,
                                   TreemapSize size, std::size_t sliceSize)
    : state_(state), size_(size), sliceSize_(sliceSize > 0 ? sliceSize : standardSliceSize),
      treeVersion_(state.treeVersion()), colorMode_(state.colorMode()), typeFilter_(state.typeFilter()),
      collectorVersion_(state.collectorVersion()) {
    if (!(size.width > 0) || !(size.height > 0) || !focus || focus->size() < 1) {
        status_ = Status::finished; // nothing to lay out: the empty layout
        return;
    }
    builder_.emplace(std::move(focus), state, options);
    builder_->addRoot(size.width, size.height);
}

bool TreemapLayoutJob::inputsChanged() const {
    return state_.treeVersion() != treeVersion_ || state_.focus().get() != builder_->focus().get() ||
           state_.colorMode() != colorMode_ || state_.typeFilter() != typeFilter_ ||
           state_.collectorVersion() != collectorVersion_;
}

TreemapLayoutJob::Status TreemapLayoutJob::step() {
    if (status_ != Status::running) return status_;
    if (cancelled_ || inputsChanged()) {
        builder_.reset();
        return status_ = Status::gaveUp;
    }
    if (builder_->runSlice(sliceSize_)) status_ = Status::finished;
    return status_;
}

TreemapLayout TreemapLayoutJob::takeLayout() {
    if (!builder_) return TreemapLayout{size_, {}, {}};
    return builder_->takeLayout(size_);
}

} // namespace plenwick
