#pragma once
// The two walks behind the outline's flat lists: the largest files below a folder,
// and the nodes whose names contain a query. They run on background threads and read
// the tree under the tree lock's read lock, taken anew for each batch of at most
// `kOutlineWalkBatch` nodes, so that a tree edit on the GUI thread waits one batch at
// most; a stop request is honoured between batches, and the walk then returns what it
// had gathered.

#include "outline/OutlineNameMatcher.h"
#include "scanner/FileNode.h"

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string_view>
#include <vector>

namespace plenwick {

inline constexpr std::size_t kOutlineWalkBatch = 8192;

struct OutlineWalkResult {
    // Largest first; equal sizes by name (code points of the composed form, so "B"
    // before "a").
    std::vector<NodeRef> nodes;
    // References the walk let go of that may be the last ones to nodes a tree edit
    // detached meanwhile. Whoever takes the result releases them on the GUI thread,
    // where nodes die.
    std::vector<NodeRef> retired;
};

struct OutlineSearchResult : OutlineWalkResult {
    // Every match found, also those beyond the cap.
    std::int64_t totalMatches = 0;
};

// The `limit` largest files at or below `root`: files, symbolic links and packages
// below the root (a package counts as one item of its total size); folders and
// unreadable items never. A root that is not a folder is itself a candidate. Subtrees
// no larger than the smallest kept file are skipped. Nothing for a limit of 0 or less.
OutlineWalkResult largestFiles(const NodeRef& root, int limit, std::stop_token stop = {});

// The nodes below `root` (never the root itself) whose names match `query` (see
// OutlineNameMatcher; `folding` serves queries that are not ASCII), at most `cap` of
// them, the largest, and the count of all matches. A query of white space only finds
// nothing, without walking.
OutlineSearchResult searchNodesByName(std::string_view query, const NodeRef& root, int cap,
                                      const TextFolding* folding = nullptr, std::stop_token stop = {});

// The final order of both walks: size descending, then names by the code points of
// their canonical composition (so both spellings of "é" sort together).
void sortBySizeThenName(std::vector<NodeRef>& nodes);

// Restores the min-heap on size (element 0 the smallest) below `start`.
void nodeHeapSiftDown(std::size_t start, std::vector<NodeRef>& heap);

} // namespace plenwick
