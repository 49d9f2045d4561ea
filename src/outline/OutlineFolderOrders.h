#pragma once
// The children of a few large folders in an ordering, found on a worker: what the
// ordering reads is copied from the tree in batches under the read lock, then ordered
// away from the lock with a collation of the worker's own. Any thread.

#include "outline/OutlineSort.h"

#include <stop_token>
#include <vector>

namespace plenwick {

struct OutlineFolderOrder {
    NodeRef folder;
    // The folder's children in the ordering.
    std::vector<NodeRef> children;
};

struct OutlineFolderOrders {
    std::vector<OutlineFolderOrder> folders;
    // False when a folder's children changed under the copy or `stop` was requested:
    // the orders are then of no use.
    bool complete = true;
};

// The children of each of `folders` as `sort.sort` orders them. Not for the size
// orders, which a folder takes from its stored order.
OutlineFolderOrders orderFolderChildren(const OutlineSort& sort, const std::vector<NodeRef>& folders,
                                        const NameCollation& collation, const std::stop_token& stop = {});

} // namespace plenwick
