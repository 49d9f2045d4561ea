#pragma once
// The file-type statistics of the tree: replaced by a whole scan, updated by
// difference after each edit of the tree. An update collects the totals of what left
// the tree in the background on the utility executor and applies, in the order
// scheduled, while the results it was made for are current.

#include "app/AppEnvironment.h"
#include "app/StateChanges.h"
#include "app/TypeStatistics.h"
#include "scanner/FileNode.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace plenwick {

class ScanResults;

class StatsUpdates {
public:
    StatsUpdates(StateChanges& changes, const AppEnvironment& environment, const ScanResults& results) noexcept
        : changes_(changes), environment_(environment), results_(results), statistics_(changes) {}
    // Updates under way stop; their outcomes are dropped.
    ~StatsUpdates() { statistics_.cancelUpdates(); }
    StatsUpdates(const StatsUpdates&) = delete;
    StatsUpdates& operator=(const StatsUpdates&) = delete;

    const TypeStatistics& statistics() const noexcept { return statistics_; }
    TypeStatistics& statistics() noexcept { return statistics_; }

    // Whole-tree statistics; empty when cancelled. Any thread.
    static std::vector<FileTypeStat> compute(const NodeRef& root, std::stop_token stop = {});
    // The statistics of a whole new tree.
    void apply(std::vector<FileTypeStat> stats);
    // `removed` are subtrees already detached from the tree; `added` the totals of
    // what entered it.
    void schedule(std::vector<NodeRef> removed, TypeTotals added);

private:
    void finish(std::uint64_t id, std::optional<TypeTotals> removed);

    StateChanges& changes_;
    const AppEnvironment& environment_;
    const ScanResults& results_;
    TypeStatistics statistics_;
    // The collections' outcomes reach this object only while it lives.
    QObject lifetime_;
};

} // namespace plenwick
