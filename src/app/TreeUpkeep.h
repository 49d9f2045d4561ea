#pragma once
// What the workflows that take items out of the tree ask of the state around them:
// the edit of the tree with its signals, the repair of every field that holds a node,
// the statistics update, the scan volume's refresh, the end of the results when
// the scanned folder itself went, and the rescan of a Trash folder inside the tree
// that took what moved.

#include "app/TypeStatsDelta.h"
#include "scanner/FileNode.h"

#include <functional>
#include <vector>

namespace plenwick {

class NodeMapping;

struct TreeUpkeep {
    // Runs `edit` under the tree's write lock and counts a new tree version.
    std::function<void(const std::function<void()>& edit)> editTree;
    // Moves every field that holds a node of the tree to its counterpart or drops it.
    std::function<void(const NodeMapping& mapping)> remapNodes;
    // `removed` are subtrees already detached; `added` the totals that entered.
    std::function<void(std::vector<NodeRef> removed, TypeTotals added)> scheduleStatsUpdate;
    std::function<void()> refreshScanVolumeForRoot;
    // The results go and the home page shows.
    std::function<void()> closeResults;
    // Scans a folder of the tree again in place, once more after a rescan of it that
    // runs (the folder changed since that one began).
    std::function<void(const NodeRef& folder)> rescanFolder;
};

} // namespace plenwick
