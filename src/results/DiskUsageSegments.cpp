#include "results/DiskUsageSegments.h"

#include "app/AppState.h"
#include "app/NodeActions.h"
#include "base/Utf8.h"
#include "home/HomeTexts.h"
#include "scanner/VolumeInfo.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace plenwick {

std::vector<DiskUsageSegment> makeDiskUsageSegments(const VolumeInfo& volume, std::int64_t scanned,
                                                    std::optional<std::int64_t> unattributed,
                                                    const QString& rootName, const QString& rootPath) {
    using Tint = DiskUsageSegment::Tint;
    std::int64_t used = volume.usedCapacity();
    scanned = std::clamp<std::int64_t>(scanned, 0, used);
    if (volume.totalCapacity <= 0) used = scanned = 0;
    const std::int64_t rest = std::max<std::int64_t>(0, used - scanned);

    std::vector<DiskUsageSegment> segments;
    if (unattributed) {
        segments.push_back({"scanned", QStringLiteral("Scanned"), scanned, Tint::accent, std::nullopt});
        const std::int64_t other = std::clamp<std::int64_t>(*unattributed, 0, rest);
        QString help = QStringLiteral(
            "Space the scan couldn't attribute to visible files: file-system metadata and journals, snapshots, "
            "deleted files that programs still hold open, files hidden under other volumes' mount points, and "
            "folders the app wasn't allowed to read.");
        if (const QString reserve = home::reservedSpaceSentence(volume); !reserve.isEmpty())
            help += QStringLiteral(" ") + reserve;
        if (other != 0) segments.push_back({"other", QStringLiteral("Other / hidden"), other, Tint::neutral, help});
    } else {
        segments.push_back({"folder", QStringLiteral("“") + rootName + QStringLiteral("” (scanned)"), scanned,
                            Tint::accent, QStringLiteral("Everything scanned in ") + rootPath});
        segments.push_back({"rest", QStringLiteral("Everything else"), rest, Tint::neutral, std::nullopt});
    }
    segments.push_back({"free", QStringLiteral("Free"), volume.availableCapacity, Tint::track, std::nullopt});
    return segments;
}

std::optional<std::vector<DiskUsageSegment>> diskUsageSegments(const AppState& state) {
    const std::optional<VolumeInfo>& volume = state.scanVolume();
    const NodeRef& root = state.root();
    if (!volume || !root || volume->totalCapacity <= 0) return std::nullopt;
    std::optional<std::int64_t> unattributed;
    if (state.isWholeVolumeScan()) unattributed = state.unattributedBytes();
    return makeDiskUsageSegments(*volume, root->size(), unattributed, QString::fromStdString(state.displayName(*root)),
                                 QString::fromStdString(visibleText(nodeDisplayPath(*root))));
}

QString diskUsageTitle(const AppState& state) {
    if (state.isWholeVolumeScan()) return QStringLiteral("Disk Usage");
    const std::optional<VolumeInfo>& volume = state.scanVolume();
    return QStringLiteral("Share of “") + QString::fromStdString(volume ? volume->name : std::string()) +
           QStringLiteral("”");
}

std::vector<double> segmentWidths(const std::vector<std::int64_t>& bytes, std::int64_t total, double width,
                                  double spacing) {
    std::vector<double> widths(bytes.size(), 0.0);
    if (total < 1 || !(width > 0)) return widths;
    const auto shown = std::count_if(bytes.begin(), bytes.end(), [](std::int64_t b) { return b > 0; });
    const double available = std::max(0.0, width - (shown > 0 ? spacing * static_cast<double>(shown - 1) : 0.0));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] >= 1)
            widths[i] = std::max(2.0, static_cast<double>(bytes[i]) / static_cast<double>(total) * available);
    const double overflow = std::accumulate(widths.begin(), widths.end(), 0.0) - available;
    if (overflow > 0 && !widths.empty()) {
        auto widest = std::max_element(widths.begin(), widths.end());
        *widest = std::max(0.0, *widest - overflow);
    }
    return widths;
}

} // namespace plenwick
