#pragma once
// The names in the tree of each file that has more than one there, as the scan found
// them. The scan counts such a file's bytes on one of its names and nothing on the
// others. When the counted name leaves the tree (moved to the Trash) the file stays on
// disk under the others, so one of them takes the bytes over, as a new scan would
// count them; and what a move frees leaves out the bytes of files that keep a name in
// the tree outside what moves.

#include "scanner/DiskScanner.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <vector>

namespace plenwick {

class NodeMapping;

class TreeHardLinks {
public:
    // From a scan's record of its files with other links: those with at least two
    // names in the tree. Any thread, before the tree is shared.
    static TreeHardLinks fromScan(std::vector<ScannedHardLink> links);

    bool empty() const noexcept { return ends_.empty(); }
    // How many files have several names in the tree.
    std::size_t fileCount() const noexcept { return ends_.size(); }

    // The bytes counted inside `items` (nodes of the tree under `root`) of files that
    // keep a name in the tree outside every one of them: moving the items leaves
    // those bytes on disk.
    std::int64_t bytesKeptOutside(const std::vector<NodeRef>& items, const FileNode* root) const;
    // The same bytes item by item, in the order of `items`: each counted with the
    // item that holds the name counting them.
    std::vector<std::int64_t> bytesKeptOutsideEach(const std::vector<NodeRef>& items, const FileNode* root) const;

    // A file whose counted name left the tree and that a name in it now counts.
    struct Handover {
        NodeRef taker;
        std::int64_t size = 0;
        std::int64_t logicalSize = 0;
    };
    // After nodes were detached from the tree under `root`, with its write lock held:
    // each file whose counted name left and whose names still in the tree count
    // nothing is counted on the first of those; its ancestors' totals and the size
    // order along its path follow.
    std::vector<Handover> handOverBytes(const FileNode* root);

    // After an edit of the tree: names move to their counterparts or go; a file left
    // with fewer than two names is forgotten.
    void remap(const NodeMapping& mapping);

private:
    std::vector<NodeRef> names_;      // grouped by file
    std::vector<std::uint32_t> ends_; // where each file's group ends in `names_`
};

} // namespace plenwick
