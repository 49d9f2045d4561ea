#include "results/ScanProgressModel.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "platform/TrashName.h"
#include "services/Formatters.h"

#include <algorithm>

namespace plenwick::scanprogress {

namespace {

std::string quoted(const std::string& name) { return "\u201C" + name + "\u201D"; }

} // namespace

bool isWholeVolumeScan(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume) {
    if (!target || !volume) return false;
    return AppState::normalizedPath(*target) == AppState::normalizedPath(volume->url);
}

std::string scanName(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                     const VolumeNameMap& names) {
    if (!target) return "\u2026";
    if (isWholeVolumeScan(target, volume)) return quoted(volume->name);
    return quoted(pathDisplayName(AppState::normalizedPath(*target), names));
}

std::string title(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                  const VolumeNameMap& names) {
    return "Scanning " + scanName(target, volume, names);
}

std::optional<TargetIcon> targetIcon(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                                     const TargetFacts& facts) {
    if (!target) return std::nullopt;
    if (isWholeVolumeScan(target, volume) && facts.volumeExists) return TargetIcon{volume->url, true, ""};
    const std::string path = AppState::normalizedPath(*target);
    return TargetIcon{*target, facts.targetIsFolder, asciiLower(nameExtension(lastPathComponent(path)))};
}

std::string currentPathText(const std::string& currentPath) {
    if (currentPath.empty()) return "Preparing\u2026";
    return truncateMiddle(abbreviatedPath(visibleText(currentPath)), 160);
}

ProgressBar progressBar(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                        std::int64_t bytesScanned) {
    ProgressBar bar;
    if (!isWholeVolumeScan(target, volume) || volume->usedCapacity() <= 0) return bar;
    const std::int64_t used = volume->usedCapacity();
    bar.determinate = true;
    const double fraction = static_cast<double>(bytesScanned) / static_cast<double>(used);
    bar.fraction = fraction > 0 ? std::min(fraction, 0.999) : 0.0;
    bar.caption = formatByteCount(bytesScanned) + " of about " + formatByteCount(used) + " used";
    bar.percent = formatPercent(bar.fraction);
    return bar;
}

std::array<Counter, 5> counters(const ScanProgress& progress, double elapsedSeconds) {
    return {{
        {formatCount(progress.filesScanned), "Files", false},
        {formatCount(progress.directoriesScanned), "Folders", false},
        {formatByteCount(progress.bytesScanned), "Found", false},
        {formatCount(progress.errorCount), "Unreadable", progress.errorCount > 0},
        {formatDuration(elapsedSeconds), "Elapsed", false},
    }};
}

std::optional<RecentRecord> startRecord(const std::optional<std::string>& target) {
    if (!target) return std::nullopt;
    return RecentRecord{*target, std::nullopt};
}

std::optional<RecentRecord> finishRecord(const AppState::Phase& phase, const NodeRef& root,
                                         const std::optional<std::string>& target) {
    if (phase.kind() != AppState::Phase::Kind::results || !root || !target) return std::nullopt;
    if (AppState::normalizedPath(root->url()) != AppState::normalizedPath(*target)) return std::nullopt;
    return RecentRecord{*target, root->size()};
}

} // namespace plenwick::scanprogress
