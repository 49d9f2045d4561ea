#include "app/TypeStatistics.h"

namespace plenwick {

void TypeStatistics::replace(std::vector<FileTypeStat> stats) {
    ExtensionColors colors;
    for (const FileTypeStat& stat : stats) colors.emplace(stat.ext, stat.rgb);
    nextColorIndex_ = static_cast<int>(stats.size());
    changes_.assign(stats_, std::move(stats), StateField::typeStats);
    assignColors(std::move(colors));
}

void TypeStatistics::clear() {
    updates_.cancelAll();
    changes_.assign(stats_, std::vector<FileTypeStat>(), StateField::typeStats);
    assignColors(ExtensionColors());
}

std::uint64_t TypeStatistics::scheduleUpdate(std::int64_t generation, TypeTotals added) {
    return updates_.schedule(generation, std::move(added));
}

void TypeStatistics::finishUpdate(std::uint64_t id, std::optional<TypeTotals> removed, std::int64_t generation) {
    updates_.finish(id, std::move(removed));
    for (StatsUpdateQueue::Update& update : updates_.takeReady()) {
        if (!update.removed || update.task.stop_requested() || update.generation != generation) continue;
        applyDelta(*update.removed, update.added);
    }
}

void TypeStatistics::applyDelta(const TypeTotals& removed, const TypeTotals& added) {
    std::vector<FileTypeStat> stats = stats_;
    ExtensionColors colors = colors_;
    applyTypeStatsDelta(stats, colors, nextColorIndex_, removed, added);
    assignColors(std::move(colors));
    changes_.assign(stats_, std::move(stats), StateField::typeStats);
}

void TypeStatistics::assignColors(ExtensionColors colors) {
    if (changes_.assign(colors_, std::move(colors), StateField::extensionColors)) ++colorsVersion_;
}

} // namespace plenwick
