#pragma once
// What the outline's cells show for a node, decided apart from painting: the share
// bar and percentage, the detail line of flat-list rows, the collected marks, the
// column texts, the name's tooltip, and the dimming of rows outside the type filter.

#include "app/VolumeNameMap.h"
#include "outline/OutlineContent.h"
#include "scanner/Color.h"

#include <QString>

#include <optional>

namespace plenwick {

class AppState;

struct OutlineShare {
    double fraction = 0;  // the bar's length, 0 to 1
    double percent = 0;   // the percentage shown, as a fraction
    bool known = true;    // false: no share to show ("—" over an empty track)
};

// In a flat list (`flat` set): the bar against the largest listed node, the
// percentage of the listed folder. In the tree: both of the parent; a node without a
// parent shows a full bar and 100 %. An unreadable node, or one whose folder holds
// nothing, has no share.
OutlineShare outlineShare(const FileNode& node, const OutlineFlatList* flat);

// The second line of a flat-list row: the folders between the listed folder and the
// node, outermost first, joined by " › "; the listed folder's name for a node directly
// inside it. None in the tree. A scanned volume's root is called by its name in
// `volumeNames`.
std::optional<QString> outlineDetailPath(const FileNode& node, const OutlineFlatList* flat,
                                         const VolumeNameMap& volumeNames);

struct OutlineCollected {
    bool collected = false;      // the node or one of its folders is in the collector
    bool collectorItem = false;  // the node itself is
};
OutlineCollected outlineCollected(const FileNode& node, const AppState& state);

// The size column: the size in the file style, "—" for an unreadable item.
QString outlineSizeText(const FileNode& node);
// The items column: a container's file count with digit grouping; empty for others.
QString outlineItemsText(const FileNode& node);
// The modified column: the date in the locale's short style; empty without a date.
QString outlineModifiedText(const FileNode& node);
// The name's tooltip: the full path, then why it is special.
QString outlineNameToolTip(const FileNode& node, const OutlineCollected& collected);

// The share bar's colour for a collected node: its colour with most of the
// saturation taken out.
RGB outlineCollectedBarColor(const RGB& color);
// The opacity of a row's cells: folders and rows matching the type filter 1, others 0.4.
double outlineRowOpacity(const FileNode& node, const AppState& state);

} // namespace plenwick
