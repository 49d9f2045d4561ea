#pragma once
// The collector's texts: counts, totals, help texts, subtitles and the confirm sheet's
// header. Byte counts in the desktop's file style, counts with the locale's grouping.

#include "app/VolumeNameMap.h"

#include <QString>

#include <cstdint>
#include <string>

namespace plenwick {

class FileNode;

QString collectorBytes(std::int64_t bytes);
// "1 item", else the count with the locale's grouping and " items".
QString collectorItemCountText(std::int64_t count);
// "Freed 1.2 MB".
QString collectorFreedMessage(std::int64_t bytes);
// The compact summary's help: "3 items, 1.2 MB to free. Click to show them."
QString collectorSummaryHelp(std::int64_t count, std::int64_t total);
// "1 Collected Item", "1,234 Collected Items".
QString collectorItemsListTitle(std::int64_t count);
// "+3" and its help text.
QString collectorLeftoverBadge(std::size_t count);
QString collectorLeftoverBadgeHelp(std::size_t count);
// The file-system path of a node without a trailing "/" (but "/" stays), as text.
QString collectorNodePath(const FileNode& node);
// A chip's help: the path, " — ", the size with leftovers.
QString collectorChipHelp(const FileNode& node, std::int64_t sizeWithLeftovers);
// A row's subtitle: the parent folder (the node itself without one), "~" for home,
// then " · plus 1 leftover item" / " · plus N leftover items" when it has leftovers.
QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers);
QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, const std::string& home);
// The confirm sheet's title and subtitle for `count` things to move and `total` bytes.
QString collectorConfirmTitle(std::int64_t count);
QString collectorConfirmSubtitle(std::int64_t total);
// "Remove <name> from Collector", the remove button's accessible name; a scanned
// volume named by `names`.
QString collectorRemoveAccessibleName(const FileNode& node, const VolumeNameMap& names);

} // namespace plenwick
