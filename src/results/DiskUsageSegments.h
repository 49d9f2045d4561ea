#pragma once
// What the disk-usage card shows of the scanned volume: the segments of its bar (what
// the scan covered, the rest of the used space, the free space) with their legend
// texts, the card's title, and the widths the bar gives the segments.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class AppState;
struct VolumeInfo;

struct DiskUsageSegment {
    // The colours follow the appearance, so a segment names its colour's role.
    enum class Tint { accent, neutral, track };

    std::string id; // "scanned", "other", "folder", "rest" or "free"
    QString title;
    std::int64_t bytes = 0;
    Tint tint = Tint::accent;
    std::optional<QString> help; // the legend row's tool tip

    friend bool operator==(const DiskUsageSegment&, const DiskUsageSegment&) = default;
};

// The segments of a volume. `unattributed` is given for a scan of the whole volume
// (the used space the tree does not account for); without it the scan covers a
// folder, named `rootName` at `rootPath`.
std::vector<DiskUsageSegment> makeDiskUsageSegments(const VolumeInfo& volume, std::int64_t scanned,
                                                    std::optional<std::int64_t> unattributed,
                                                    const QString& rootName, const QString& rootPath);

// The segments for the state: none without a scan volume, without a root, or when the
// volume reports no capacity.
std::optional<std::vector<DiskUsageSegment>> diskUsageSegments(const AppState& state);

// "Disk Usage" for a scan of the whole volume, else "Share of “<volume>”".
QString diskUsageTitle(const AppState& state);

// The width of each segment in a bar `width` wide whose full length stands for
// `total` bytes, `spacing` apart: a segment of less than a byte gets none and no gap,
// any other at least 2; what the minimums overdraw is taken from the widest.
std::vector<double> segmentWidths(const std::vector<std::int64_t>& bytes, std::int64_t total, double width,
                                  double spacing);

} // namespace plenwick
