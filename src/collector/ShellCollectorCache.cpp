#include "collector/ShellCollectorCache.h"

#include "app/AppState.h"

#include <algorithm>

namespace plenwick {

void ShellCollectorCache::refresh(const AppState& state) {
    const Key now{state.collectorVersion(), state.treeVersion()};
    if (key_ && *key_ == now) return;
    key_ = now;
    std::int64_t total = 0;
    for (const NodeRef& node : state.collector()) total += node->size();
    for (const auto& [node, remnants] : state.collectorLeftovers())
        for (const Remnant& remnant : remnants) total += remnant.size;
    // Bytes that stay on disk under another name in the tree are not freed.
    cachedTotal_ = total - state.bytesKeptUnderOtherNames(state.collector());
    cachedLargestFirst_.reset();
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
