#pragma once
// The changes of the tree after a scan: detaching a node (moved to the Trash, or a
// vanished folder), swapping a rescanned folder in, and a file taking over bytes
// counted elsewhere before. Each corrects every ancestor's totals by exactly the
// difference and restores the size order along the path, moving only the nodes on
// it past strictly larger or smaller neighbours, so the name order among equal sizes
// stays as it was. The caller holds the tree's write lock.

#include "scanner/FileNode.h"

#include <cstdint>

namespace plenwick {

// Removes every occurrence of `node` from its parent's children, clears its parent
// and subtracts its size, logical size and file count from every ancestor. The
// detached node keeps its own figures and children. Returns the former parent, or
// null when the node had none (nothing changes then).
FileNode* detachNode(FileNode& node);

// Puts `replacement` in the place of `old` among its parent's children, adds the
// differences (replacement minus old) to every ancestor and restores the order from
// the replacement up. `old` loses its parent. Returns false (changing nothing) when
// `old` has no parent.
bool replaceNode(FileNode& old, const NodeRef& replacement);

// Adds `size` and `logical` to the node's own figures and to every ancestor's, and
// restores the size order from the node up.
void growNode(FileNode& node, std::int64_t size, std::int64_t logical);

// Moves `node` within its parent's children: towards the end while the next sibling
// is strictly larger, then towards the front while the previous one is strictly
// smaller. Then the same for each ancestor below the topmost.
void restoreSizeOrderUpwards(FileNode* node);

// A node's counterpart after `old` was replaced by `replacement`: the node itself
// when it lies outside `old`; the replacement for `old`; else the node reached by
// following the names of its path below `old` down from the replacement. `found` is
// false when a name is missing; `node` is then the deepest node reached.
struct MappedNode {
    NodeRef node;
    bool found = false;
};
MappedNode mapIntoReplacement(const NodeRef& node, const FileNode* old, const NodeRef& replacement);

} // namespace plenwick
