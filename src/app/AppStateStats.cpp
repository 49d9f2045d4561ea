// The file-type statistics updated by difference after the tree was edited.

#include "app/AppState.h"
#include "runtime/BackgroundTask.h"

namespace plenwick {

namespace {

struct RemovedTotals {
    std::optional<TypeTotals> totals;     // none: cancelled
    std::vector<NodeRef> heldNodes;       // released on the GUI thread
};

RemovedTotals collectRemoved(const std::vector<NodeRef>& removed, std::stop_token stop) {
    RemovedTotals result;
    TypeTotals merged;
    for (const NodeRef& node : removed) {
        auto totals = FileTypeStatsBuilder::collect(node, stop, result.heldNodes);
        if (!totals) return result;
        mergeTypeTotals(merged, *totals);
    }
    result.totals = std::move(merged);
    return result;
}

} // namespace

void AppState::scheduleStatsUpdate(std::vector<NodeRef> removed, TypeTotals added) {
    assertGuiThread();
    const std::uint64_t id = typeStatistics_.scheduleUpdate(scan_.resultsGeneration(), std::move(added));
    runInBackground(
        *environment_.utility, this,
        [removed = std::move(removed), stop = typeStatistics_.updateStopToken(id)] { return collectRemoved(removed, stop); },
        [this, id](RemovedTotals result) { finishStatsUpdate(id, std::move(result.totals)); },
        // Skipped like a cancelled update, so that the later ones still apply.
        [this, id](std::exception_ptr) { finishStatsUpdate(id, std::nullopt); });
}

void AppState::finishStatsUpdate(std::uint64_t id, std::optional<TypeTotals> removed) {
    Operation op(*this);
    typeStatistics_.finishUpdate(id, std::move(removed), scan_.resultsGeneration());
}

} // namespace plenwick
