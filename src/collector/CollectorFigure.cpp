#include "collector/CollectorFigure.h"

#include "app/SizeShare.h"

namespace plenwick {

CollectorKeptBytes collectorKeptBytes(const std::vector<NodeRef>& items, const std::vector<std::int64_t>& each) {
    CollectorKeptBytes kept;
    for (std::size_t i = 0; i < items.size() && i < each.size(); ++i)
        if (each[i] != 0) kept[items[i].get()] += each[i];
    return kept;
}

CollectorFigure collectorItemFigure(const FileNode& node, const CollectorLeftovers& leftovers) {
    const std::int64_t withLeftovers = sizeWithLeftovers(node, leftovers);
    if (isSizeKnown(node)) return {withLeftovers, 0};
    return {withLeftovers - node.size(), 1};
}

CollectorFigure collectorTotalFigure(const std::vector<NodeRef>& items, const CollectorLeftovers& leftovers,
                                     const CollectorKeptBytes& kept) {
    CollectorFigure total;
    for (const NodeRef& item : items) {
        const CollectorFigure one = collectorItemFigure(*item, leftovers);
        total.knownBytes += one.knownBytes;
        total.unknownItems += one.unknownItems;
        if (const auto it = kept.find(item.get()); it != kept.end()) total.knownBytes -= it->second;
    }
    return total;
}

} // namespace plenwick
