#pragma once
// What the home screen's cards, rows and banners say and show, decided from plain
// values so that each rule is tested without a widget.

#include "app/VolumeNameMap.h"
#include "scanner/VolumeInfo.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace plenwick {

class FileNode;

namespace home {

using Clock = std::chrono::system_clock;

// How long ago (or ahead) `date` lies from `now`, by the largest calendar unit that
// differs, in local time, with named forms: "now", "5 seconds ago", "1 hour ago",
// "yesterday", "3 days ago", "last week", "last month", "2 years ago", "in 2 days".
QString relativeDateText(Clock::time_point date, Clock::time_point now);

// ---- Volume cards ----
// Used share of the capacity: (total − available, at least 0) ÷ total; 0 without a total.
double usedFraction(const VolumeInfo& volume);
// "<file system> · <kind>", or the kind alone: "Network", "Startup Disk", "Internal"
// or "External", by the first that applies.
QString volumeSubtitle(const VolumeInfo& volume);
// "<available> free".
QString volumeFreeText(const VolumeInfo& volume);
// "of <total> · <percent> used".
QString volumeCapacityText(const VolumeInfo& volume);
// The total is what is used plus what is free; a reserve for the system is neither.
// When the volume keeps one, a sentence naming it and the size disk tools show with
// it; empty otherwise.
QString reservedSpaceSentence(const VolumeInfo& volume);
// The help of the volume's size wherever it is shown: empty without a reserve.
QString volumeSizeHelp(const VolumeInfo& volume);
// The drawn symbol standing for a volume whose mount point is missing.
enum class VolumeSymbol { network, internalDrive, externalDriveBadgePlus, externalDrive };
VolumeSymbol volumeSymbol(const VolumeInfo& volume);

// ---- Return banner ----
// "Back to results of <display name>", a scanned volume named by `names`.
QString returnBannerTitle(const FileNode& root, const VolumeNameMap& names);
// "<size> · <n> files[ · <n> items collected][ · scanned <relative date>]".
QString returnBannerSubtitle(std::int64_t size, std::int64_t fileCount, std::int64_t collectedCount,
                             std::optional<Clock::time_point> scannedAt, Clock::time_point now);
QString returnBannerSubtitle(const FileNode& root, std::int64_t collectedCount,
                             std::optional<Clock::time_point> scannedAt, Clock::time_point now);
// The root's path, one trailing "/" removed ("/" stays).
QString returnBannerToolTip(const FileNode& root);

// ---- Recent scans ----
// The folder's name as a file manager shows it: a volume's name (in `names`) for its
// mount point, else the last component ("/" for the root).
QString recentDisplayName(const std::string& path, const VolumeNameMap& names);
// The path, followed by " — not available" when the folder is missing.
QString recentPathText(const std::string& path, bool exists);
// "Scan <name> again".
QString recentScanHelp(const std::string& path, const VolumeNameMap& names);

// Raw bytes shown as text (invalid UTF-8 as U+FFFD).
QString displayText(const std::string& bytes);

} // namespace home
} // namespace plenwick
