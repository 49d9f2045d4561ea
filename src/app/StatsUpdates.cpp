#include "app/StatsUpdates.h"

#include "app/ScanResults.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"

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

std::vector<FileTypeStat> StatsUpdates::compute(const NodeRef& root, std::stop_token stop) {
    auto collected = FileTypeStatsBuilder::collect(root, stop);
    if (!collected) return {};
    return FileTypeStatsBuilder::makeStats(*collected);
}

void StatsUpdates::apply(std::vector<FileTypeStat> stats) {
    StateChanges::Operation op(changes_);
    statistics_.replace(std::move(stats));
}

void StatsUpdates::schedule(std::vector<NodeRef> removed, TypeTotals added) {
    assertGuiThread();
    const std::uint64_t id = statistics_.scheduleUpdate(results_.generation(), std::move(added));
    runInBackground(
        *environment_.utility, &lifetime_,
        [removed = std::move(removed), stop = statistics_.updateStopToken(id)] { return collectRemoved(removed, stop); },
        [this, id](RemovedTotals result) { finish(id, std::move(result.totals)); },
        // Skipped like a cancelled update, so that the later ones still apply.
        [this, id](std::exception_ptr) { finish(id, std::nullopt); });
}

void StatsUpdates::finish(std::uint64_t id, std::optional<TypeTotals> removed) {
    StateChanges::Operation op(changes_);
    statistics_.finishUpdate(id, std::move(removed), results_.generation());
}

} // namespace plenwick
