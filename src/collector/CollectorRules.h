#pragma once
// The collector's decisions apart from its widgets: which of the bar's layouts fits,
// the chips' metrics from the strip's width and when a new width is kept, what a drop
// collects, the order of the confirm sheet and the heights of its list and the
// items list.

#include "app/Collector.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace plenwick {

enum class CollectorBarLayout { wide, medium, compact };

// The first layout whose minimum width fits `available`, tried wide, medium, compact.
CollectorBarLayout chooseCollectorBarLayout(int available, int wideMinimum, int mediumMinimum);

struct ShellCollectorChipMetrics {
    int nameMaxWidth = 150;
    bool showsSize = true;
    friend bool operator==(const ShellCollectorChipMetrics&, const ShellCollectorChipMetrics&) = default;
};

// From the stored strip width: absent or not finite, names up to 150 with sizes;
// otherwise sizes from 260 on, names up to the width less 138 (with sizes) or less 72,
// floored, kept between 48 and 150.
ShellCollectorChipMetrics collectorChipMetrics(std::optional<double> stripWidth);

// Keeps `width` in `stored` when nothing (or nothing finite) is stored, or when it
// differs from the stored width by at least one point; returns whether it did.
bool storeChipStripWidth(std::optional<double>& stored, double width);

// What a drop of `paths` collects: the nodes found in the tree, not the root, each
// once, in drop order. `nodeForPath` is the state's lookup.
std::vector<NodeRef> collectorDropNodes(const std::vector<std::string>& paths,
                                        const std::function<NodeRef(const std::string&)>& nodeForPath);

// The confirm sheet's rows: largest first counting leftovers; equal sizes keep their order.
std::vector<NodeRef> collectorConfirmOrder(std::vector<NodeRef> items, const CollectorLeftovers& leftovers);
// What the sheet will move: the items and every recorded leftover.
std::int64_t collectorConfirmItemCount(const std::vector<NodeRef>& items, const CollectorLeftovers& leftovers);

// Heights of the lists, in points.
int collectorItemsListHeight(std::size_t rows);   // min(360, rows × 40 + 8)
int collectorConfirmListHeight(std::size_t rows); // min(280, max(60, rows × 42 + 12))

} // namespace plenwick
