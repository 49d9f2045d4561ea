#pragma once
// Walks a file tree once and totals its files per extension, then turns the totals
// into the sorted, coloured list of FileTypeStat.

#include "base/StringHash.h"
#include "scanner/FileCategory.h"
#include "scanner/FileNode.h"
#include "scanner/FileTreeLock.h"
#include "scanner/FileTypeStat.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace plenwick {

class FileTypeStatsBuilder {
public:
    // The running total of one extension.
    struct Entry {
        std::int64_t size = 0;
        std::int64_t count = 0;
        FileCategory category = FileCategory::other;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    // Extension (empty for none) → its totals.
    using Entries = StringMap<Entry>;

    // Number of nodes handled per hold of the read lock.
    static constexpr std::size_t batchSize = 8192;

    // Totals the files, links and childless packages below `root` (a null root gives
    // none of them). Each counts its own fileCount, so the counts add up to the
    // root's fileCount; an empty package counts nothing, as an empty folder does.
    // Takes the read side of `lock` for one batch at a time and checks `stop`
    // between batches: none when it was requested.
    //
    // The tree may change between batches, so the walk keeps a reference to every
    // node it carries over a batch boundary. Those references end up in `heldNodes`
    // so that the caller can drop them on the thread that edits the tree.
    static std::optional<Entries> collect(const NodeRef& root, std::stop_token stop,
                                          std::vector<NodeRef>& heldNodes,
                                          FileTreeLock& lock = FileTreeLock::shared());
    // The same, dropping the carried references itself; for trees no one edits.
    static std::optional<Entries> collect(const NodeRef& root, std::stop_token stop = {},
                                          FileTreeLock& lock = FileTreeLock::shared());

    // The totals sorted by size descending, then by extension, the i-th coloured
    // with extensionColorForIndex(i).
    static std::vector<FileTypeStat> makeStats(const Entries& entries);
};

} // namespace plenwick
