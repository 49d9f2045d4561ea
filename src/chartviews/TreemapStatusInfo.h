#pragma once
// What the treemap's status line says: the rest cell under the pointer, else the
// hovered or selected node inside the focus, else the focus itself — with a swatch
// colour, a symbol, a path, a kind text, a size and the share of the focus.

#include "charts/ChartState.h"
#include "charts/TreemapLayout.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace plenwick {

struct TreemapStatusInfo {
    QString title;           // the path or name shown first
    QString kind;            // the description on the right
    std::string_view symbol; // symbol name shown before the title
    std::int64_t size = 0;   // bytes
    double fraction = 0;     // share of the focus, 1 = 100 %
    bool sizeKnown = true;   // false for an unreadable item: size and share read "—"
    RGB color;               // the swatch
};

// None without a focus. `layout` and `hoverCell` are the treemap model's.
std::optional<TreemapStatusInfo> treemapStatusInfo(const ChartState& state, const FileNode* hovered,
                                                   const FileNode* selection, const TreemapLayout* layout,
                                                   std::optional<std::int32_t> hoverCell);

// "Images · .png", "Folder · 1,204 files", "Package", "Alias", "Not readable", …
QString treemapKindText(const FileNode& node);

// The swatch of a node: the colour of the leaf cell under the pointer when it shows
// the node, else the node's colour as the chart would draw it (dimmed when a file
// misses the type filter, greyed when collected).
RGB treemapSwatchColor(const ChartState& state, const FileNode& node, const TreemapLayout* layout,
                       std::optional<std::int32_t> hoverCell);

} // namespace plenwick
