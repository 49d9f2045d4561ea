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
    const std::uint64_t id = statsUpdates_.schedule(resultsGeneration_, std::move(added));
    runInBackground(
        *environment_.utility, this,
        [removed = std::move(removed), stop = statsUpdates_.stopToken(id)] { return collectRemoved(removed, stop); },
        [this, id](RemovedTotals result) {
            statsUpdates_.finish(id, std::move(result.totals));
            applyReadyStatsUpdates();
        },
        [this, id](std::exception_ptr) {
            // Skipped like a cancelled update, so that the later ones still apply.
            statsUpdates_.finish(id, std::nullopt);
            applyReadyStatsUpdates();
        });
}

void AppState::applyReadyStatsUpdates() {
    Operation op(*this);
    for (StatsUpdateQueue::Update& update : statsUpdates_.takeReady()) {
        if (!update.removed || update.task.stop_requested() || update.generation != resultsGeneration_) continue;
        computeStatsAndColors(*update.removed, update.added);
    }
}

void AppState::computeStatsAndColors(const TypeTotals& removed, const TypeTotals& added) {
    std::vector<FileTypeStat> stats = typeStats_;
    ExtensionColors colors = extensionColors_;
    applyTypeStatsDelta(stats, colors, nextColorIndex_, removed, added);
    setExtensionColors(std::move(colors));
    assign(typeStats_, std::move(stats), Field::typeStats);
}

} // namespace plenwick
