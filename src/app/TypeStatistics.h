#pragma once
// The file-type statistics of the tree and the colour of each extension. A whole
// scan replaces them; an edit of the tree updates them by difference, in the order
// the updates were scheduled, each collecting what left in the background. Colours
// never change while an extension is known: one that returns takes its old colour,
// new ones continue the sequence.

#include "app/StateChanges.h"
#include "app/StatsUpdateQueue.h"
#include "app/TypeStatsDelta.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace plenwick {

class TypeStatistics {
public:
    explicit TypeStatistics(StateChanges& changes) noexcept : changes_(changes) {}
    TypeStatistics(const TypeStatistics&) = delete;
    TypeStatistics& operator=(const TypeStatistics&) = delete;

    const std::vector<FileTypeStat>& stats() const noexcept { return stats_; }
    const ExtensionColors& extensionColors() const noexcept { return colors_; }
    // Counts the changes of the colours (marked with their field), so that style
    // caches can tell them apart.
    std::int64_t extensionColorsVersion() const noexcept { return colorsVersion_; }
    int nextColorIndex() const noexcept { return nextColorIndex_; }
    bool hasPendingUpdates() const noexcept { return updates_.hasPending(); }

    // The statistics of a whole tree, each with its colour; the colour sequence goes on
    // after them. Pending updates are left alone.
    void replace(std::vector<FileTypeStat> stats);
    // No statistics and no colours; every pending update is cancelled.
    void clear();
    void cancelUpdates() { updates_.cancelAll(); }

    // An update after an edit of the tree of results `generation`: `added` are the
    // totals of what entered it; the totals of what left are collected in the
    // background, which stops when `updateStopToken(id)` asks. Returns its id.
    std::uint64_t scheduleUpdate(std::int64_t generation, TypeTotals added);
    std::stop_token updateStopToken(std::uint64_t id) const { return updates_.stopToken(id); }
    // Records the collection of update `id` (none: cancelled or failed, skipped), then
    // applies every update now ready, in scheduling order, that belongs to the current
    // results `generation`.
    void finishUpdate(std::uint64_t id, std::optional<TypeTotals> removed, std::int64_t generation);

private:
    void applyDelta(const TypeTotals& removed, const TypeTotals& added);
    void assignColors(ExtensionColors colors);

    StateChanges& changes_;
    std::vector<FileTypeStat> stats_;
    ExtensionColors colors_;
    std::int64_t colorsVersion_ = 0;
    int nextColorIndex_ = 0;
    StatsUpdateQueue updates_;
};

} // namespace plenwick
