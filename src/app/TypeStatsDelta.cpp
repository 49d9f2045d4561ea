#include "app/TypeStatsDelta.h"

namespace plenwick {

void mergeTypeTotals(TypeTotals& into, const TypeTotals& more) {
    for (const auto& [ext, entry] : more) {
        auto [it, inserted] = into.try_emplace(ext, entry);
        if (inserted) continue;
        it->second.size += entry.size;
        it->second.count += entry.count;
    }
}

void applyTypeStatsDelta(std::vector<FileTypeStat>& stats, ExtensionColors& colors, int& nextColorIndex,
                         const TypeTotals& removed, const TypeTotals& added) {
    std::unordered_map<std::string, FileTypeStat> working;
    working.reserve(stats.size() + added.size());
    for (const FileTypeStat& stat : stats) working.emplace(stat.ext, stat);

    for (const auto& [ext, entry] : removed) {
        auto it = working.find(ext);
        if (it == working.end()) continue;
        const auto count = it->second.count - entry.count;
        if (count < 1) {
            working.erase(it);
            continue;
        }
        it->second.count = count;
        it->second.size -= entry.size;
    }

    // New extensions take their colours in the order of the statistics themselves
    // (size, then extension), so the result does not depend on the map's order.
    for (const FileTypeStat& entry : FileTypeStatsBuilder::makeStats(added)) {
        auto it = working.find(entry.ext);
        if (it != working.end()) {
            it->second.size += entry.size;
            it->second.count += entry.count;
            continue;
        }
        auto colour = colors.find(entry.ext);
        if (colour == colors.end()) {
            colour = colors.emplace(entry.ext, extensionColorForIndex(nextColorIndex)).first;
            ++nextColorIndex;
        }
        FileTypeStat stat = entry;
        stat.rgb = colour->second;
        working.emplace(entry.ext, std::move(stat));
    }

    std::vector<FileTypeStat> result;
    result.reserve(working.size());
    for (auto& [ext, stat] : working) result.push_back(std::move(stat));
    sortTypeStats(result);
    stats = std::move(result);
}

} // namespace plenwick
