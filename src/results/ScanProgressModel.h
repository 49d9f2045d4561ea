#pragma once
// What the scan-progress screen shows and records, decided from the state's values
// alone: the scan's name, the folder line, the progress bar, the counters and the
// recent-scan records. No widgets; each function is tested on plain values.

#include "app/AppState.h"

#include <array>
#include <optional>
#include <string>

namespace plenwick::scanprogress {

// The target and the volume are the same place (both normalised paths equal).
bool isWholeVolumeScan(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume);

// The text after "Scanning ": "…" without a target; the volume's name for a whole
// volume; else the target's display name (by `names` for a mount point); both in
// typographic quotes.
std::string scanName(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                     const VolumeNameMap& names);
std::string title(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                  const VolumeNameMap& names);

// "Preparing…" before the first folder, else the folder with "~" for home, shortened
// in the middle to 160 characters.
std::string currentPathText(const std::string& currentPath);

// What the disk says of the scanned places, learnt off the GUI thread.
struct TargetFacts {
    bool volumeExists = false;  // something exists at the volume's path
    bool targetIsFolder = false; // the target is a folder (a package included)
    friend bool operator==(const TargetFacts&, const TargetFacts&) = default;
};
// The icon beside the title, as the icon cache is asked for it: the volume's, as a
// folder, when the whole volume is scanned and its path exists; else the target's, a
// folder only when it is one, with its extension in lower case. None without a target.
struct TargetIcon {
    std::string path;
    bool isFolder = false;
    std::string extension;
    friend bool operator==(const TargetIcon&, const TargetIcon&) = default;
};
std::optional<TargetIcon> targetIcon(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                                     const TargetFacts& facts);

struct ProgressBar {
    bool determinate = false;
    double fraction = 0;   // 0 … 0.999: the bar never shows full while the scan runs
    std::string caption;   // "12.3 GB of about 200 GB used"
    std::string percent;
};
// Determinate for a whole volume with used space above 0; otherwise indeterminate
// without a caption.
ProgressBar progressBar(const std::optional<std::string>& target, const std::optional<VolumeInfo>& volume,
                        std::int64_t bytesScanned);

struct Counter {
    std::string value;
    std::string label;
    bool warning = false; // drawn in orange
};
// Files, Folders, Found, Unreadable and Elapsed.
std::array<Counter, 5> counters(const ScanProgress& progress, double elapsedSeconds);

struct RecentRecord {
    std::string path;
    std::optional<std::int64_t> size;
    friend bool operator==(const RecentRecord&, const RecentRecord&) = default;
};
// The record made when the screen comes up or the target changes: the target without
// a size (whether it exists is checked before recording).
std::optional<RecentRecord> startRecord(const std::optional<std::string>& target);
// The record made when the screen goes after a finished scan: the target with the
// root's size, when the phase is results and the root is the target.
std::optional<RecentRecord> finishRecord(const AppState::Phase& phase, const NodeRef& root,
                                         const std::optional<std::string>& target);

} // namespace plenwick::scanprogress
