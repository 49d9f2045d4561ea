#include "collector/ShellCollectorCache.h"

#include "app/AppState.h"

#include <algorithm>

namespace plenwick {

void ShellCollectorCache::refresh(const AppState& state) {
    const Key now{state.collectorVersion(), state.treeVersion()};
    if (key_ && *key_ == now) return;
    key_ = now;
    const std::vector<NodeRef>& items = state.collector();
    // Bytes that stay on disk under another name in the tree are not freed.
    kept_ = collectorKeptBytes(items, state.bytesKeptUnderOtherNamesEach(items));
    const CollectorFigure total = collectorTotalFigure(items, state.collectorLeftovers(), kept_);
    cachedTotal_ = total.knownBytes;
    cachedUnknownItems_ = total.unknownItems;
    cachedLargestFirst_.reset();
}

std::int64_t ShellCollectorCache::keptBytes(const FileNode* node) const {
    const auto it = kept_.find(node);
    return it == kept_.end() ? 0 : it->second;
}

const std::vector<NodeRef>& ShellCollectorCache::largestFirst(const AppState& state) {
    refresh(state);
    if (!cachedLargestFirst_) {
        std::vector<NodeRef> sorted = state.collector();
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const NodeRef& a, const NodeRef& b) { return a->size() > b->size(); });
        cachedLargestFirst_ = std::move(sorted);
    }
    return *cachedLargestFirst_;
}

} // namespace plenwick
