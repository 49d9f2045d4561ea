#include "collector/CollectorRules.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace plenwick {

CollectorBarLayout chooseCollectorBarLayout(int available, int wideMinimum, int mediumMinimum) {
    if (available >= wideMinimum) return CollectorBarLayout::wide;
    if (available >= mediumMinimum) return CollectorBarLayout::medium;
    return CollectorBarLayout::compact;
}

ShellCollectorChipMetrics collectorChipMetrics(std::optional<double> stripWidth) {
    if (!stripWidth || !std::isfinite(*stripWidth)) return {};
    const double w = *stripWidth;
    ShellCollectorChipMetrics metrics;
    metrics.showsSize = w >= 260;
    const double name = std::floor(w - (metrics.showsSize ? 138 : 72));
    metrics.nameMaxWidth = static_cast<int>(std::clamp(name, 48.0, 150.0));
    return metrics;
}

bool storeChipStripWidth(std::optional<double>& stored, double width) {
    // A stored width that is not a number counts as none, so that it can be replaced;
    // a difference that is not a number keeps what is stored.
    if (stored && std::isfinite(*stored) && !(std::abs(*stored - width) >= 1)) return false;
    stored = width;
    return true;
}

std::vector<NodeRef> collectorDropNodes(const std::vector<std::string>& paths,
                                        const std::function<NodeRef(const std::string&)>& nodeForPath) {
    std::vector<NodeRef> kept;
    std::unordered_set<const FileNode*> seen;
    for (const std::string& path : paths) {
        NodeRef node = nodeForPath(path);
        if (!node || !node->parent() || !seen.insert(node.get()).second) continue;
        kept.push_back(std::move(node));
    }
    return kept;
}

std::vector<NodeRef> collectorConfirmOrder(std::vector<NodeRef> items, const CollectorLeftovers& leftovers) {
    std::vector<std::pair<std::int64_t, NodeRef>> sized;
    sized.reserve(items.size());
    for (NodeRef& node : items) sized.emplace_back(sizeWithLeftovers(*node, leftovers), std::move(node));
    std::stable_sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<NodeRef> ordered;
    ordered.reserve(sized.size());
    for (auto& [size, node] : sized) ordered.push_back(std::move(node));
    return ordered;
}

std::int64_t collectorConfirmItemCount(const std::vector<NodeRef>& items, const CollectorLeftovers& leftovers) {
    std::int64_t count = static_cast<std::int64_t>(items.size());
    for (const auto& [node, remnants] : leftovers) count += static_cast<std::int64_t>(remnants.size());
    return count;
}

int collectorItemsListHeight(std::size_t rows) {
    return static_cast<int>(std::min<std::size_t>(360, rows * 40 + 8));
}

int collectorConfirmListHeight(std::size_t rows) {
    return static_cast<int>(std::min<std::size_t>(280, std::max<std::size_t>(60, rows * 42 + 12)));
}

} // namespace plenwick
