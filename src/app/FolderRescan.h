#pragma once
// Rescanning one folder in place: the folder is scanned again in the background on
// the user-initiated executor and its new subtree swapped into the tree, with every
// piece of state that pointed into the old subtree carried over to the new nodes or
// dropped. An outcome counts only while the results it was begun on are current.

#include "app/AppEnvironment.h"
#include "app/StateChanges.h"
#include "app/TypeStatsDelta.h"
#include "scanner/FileNode.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace plenwick {

class Alerts;
class ScanResults;
class ScanRun;
class StatsUpdates;
class VolumeRefresh;

class FolderRescan {
public:
    struct Parts {
        ScanResults& results;
        Alerts& alerts;
        ScanRun& scan;
        StatsUpdates& stats;
        VolumeRefresh& volumes;
    };
    // Takes nodes that vanished from disk out of the tree, with every repair that
    // takes (statistics, hard links, the nodes the state holds).
    using Prune = std::function<void(const std::vector<NodeRef>& nodes)>;

    FolderRescan(StateChanges& changes, const AppEnvironment& environment, Parts parts, Prune prune) noexcept
        : changes_(changes), environment_(environment), parts_(parts), prune_(std::move(prune)) {}
    FolderRescan(const FolderRescan&) = delete;
    FolderRescan& operator=(const FolderRescan&) = delete;

    // Rescans a folder of the tree (the whole target for the root); one rescan per
    // folder at a time. A request while one runs is dropped, or with `againIfRunning`
    // (the folder changed since that scan began) scans it once more after it.
    void rescan(const NodeRef& folder, bool againIfRunning = false);
    // Swaps `fresh`, a new scan of `old`'s folder, into the tree in `old`'s place.
    // `totals` are the statistics' totals of `fresh`.
    void apply(const NodeRef& old, const NodeRef& fresh, TypeTotals totals);

private:
    struct Outcome;
    void finish(const NodeRef& folder, std::int64_t generation, Outcome outcome);

    StateChanges& changes_;
    const AppEnvironment& environment_;
    Parts parts_;
    Prune prune_;
    // Paths of folders asked for again while their rescan ran.
    std::set<std::string> again_;
    // The rescans' outcomes reach this object only while it lives.
    QObject lifetime_;
};

} // namespace plenwick
