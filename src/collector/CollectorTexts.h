#pragma once
// The collector's texts: counts, totals, help texts, subtitles and the confirm sheet's
// header. Byte counts in the desktop's file style, counts with the locale's grouping.

#include "app/VolumeNameMap.h"
#include "collector/CollectorFigure.h"

#include <QString>

#include <cstdint>
#include <string>

namespace plenwick {

class FileNode;

QString collectorBytes(std::int64_t bytes);
// A figure as the collector shows it: the bytes when all is known, "at least" the
// known bytes when some item's size is unknown, and "—" when nothing is known.
QString collectorFigureText(const CollectorFigure& figure);
// "1 item", else the count with the locale's grouping and " items".
QString collectorItemCountText(std::int64_t count);
// "Freed 1.2 MB".
QString collectorFreedMessage(std::int64_t bytes);
// "Moved 1.2 MB to the Trash": what went to a Trash inside the scanned folder, which
// still counts it.
QString collectorMovedMessage(std::int64_t bytes);
// The compact summary's help: "3 items, 1.2 MB to free. Click to show them."
QString collectorSummaryHelp(std::int64_t count, const CollectorFigure& total);
// "1 Collected Item", "1,234 Collected Items".
QString collectorItemsListTitle(std::int64_t count);
// "+3" and its help text.
QString collectorLeftoverBadge(std::size_t count);
QString collectorLeftoverBadgeHelp(std::size_t count);
// The file-system path of a node without a trailing "/" (but "/" stays), as text.
QString collectorNodePath(const FileNode& node);
// Why moving the node frees less than its size: "its bytes stay on disk under another
// name" (a file), "2 MB of it stay on disk under other names" (a folder); empty when
// `kept` is nothing.
QString collectorKeptNote(const FileNode& node, std::int64_t kept);
// A chip's help: the path, " — ", the size with leftovers, and why it frees less.
QString collectorChipHelp(const FileNode& node, const CollectorFigure& size, std::int64_t kept = 0);
// A row's subtitle: the parent folder (the node itself without one), "~" for home,
// then " · plus 1 leftover item" / " · plus N leftover items" when it has leftovers,
// and " · " with the kept note when some of it stays under other names.
QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, std::int64_t kept = 0);
QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, std::int64_t kept, const std::string& home);
// The confirm sheet's title and subtitle for `count` things to move and `total` bytes.
QString collectorConfirmTitle(std::int64_t count);
QString collectorConfirmSubtitle(const CollectorFigure& total);
// "Remove <name> from Collector", the remove button's accessible name; a scanned
// volume named by `names`.
QString collectorRemoveAccessibleName(const FileNode& node, const VolumeNameMap& names);

} // namespace plenwick
