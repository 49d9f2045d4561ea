#pragma once
// What moving collected items to the Trash frees, as far as the scan knows it. The
// size of a folder the scan couldn't read is unknown: it adds no bytes, only the fact
// that more may go than the known bytes say. The bytes of files that keep a name in
// the tree outside the items stay on disk and add nothing either.

#include "app/Collector.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace plenwick {

struct CollectorFigure {
    std::int64_t knownBytes = 0;
    std::int64_t unknownItems = 0; // items whose size is unknown

    bool isWhollyKnown() const noexcept { return unknownItems == 0; }
    friend bool operator==(const CollectorFigure&, const CollectorFigure&) = default;
};

// Per collected item, the bytes counted in it that stay on disk under another name.
using CollectorKeptBytes = std::unordered_map<const FileNode*, std::int64_t>;
// From the state's answer for `items`, given in the same order.
CollectorKeptBytes collectorKeptBytes(const std::vector<NodeRef>& items, const std::vector<std::int64_t>& each);

// One item with its leftovers, as its row shows it (what stays under another name
// included).
CollectorFigure collectorItemFigure(const FileNode& node, const CollectorLeftovers& leftovers);
// What moving all of `items` and their leftovers frees.
CollectorFigure collectorTotalFigure(const std::vector<NodeRef>& items, const CollectorLeftovers& leftovers,
                                     const CollectorKeptBytes& kept);

} // namespace plenwick
