#pragma once
// The treemap's layout: a flat breadth-first array of cells with the nodes they
// show in a parallel array. A rest cell stands for a folder's children that are
// too small to draw; its node is the folder.

#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace plenwick {

// Points of the chart, origin top-left, y down; the half-open area x0 ≤ x < x1, y0 ≤ y < y1.
struct TreemapRect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double width() const noexcept { return x1 - x0; }
    double height() const noexcept { return y1 - y0; }
    bool contains(double x, double y) const noexcept { return x0 <= x && x < x1 && y0 <= y && y < y1; }
    friend bool operator==(const TreemapRect&, const TreemapRect&) = default;
};

struct TreemapCellColor {
    float r = 0, g = 0, b = 0;
    friend bool operator==(const TreemapCellColor&, const TreemapCellColor&) = default;
};

struct TreemapCell {
    TreemapRect rect;
    std::int32_t parent = -1;     // -1 for the root cell
    std::int32_t firstChild = -1; // -1 while the cell has none
    std::int32_t childCount = 0;  // the rest cell included
    std::int32_t depth = 0;
    std::int32_t restCount = 0;   // for a rest cell, the non-empty children it stands for
    TreemapCellColor color;       // base colour of a leaf; zero for a cell with children
    bool collected = false;       // the node, or a folder above it, is in the collector
};

struct TreemapSize {
    double width = 0, height = 0;
    friend bool operator==(const TreemapSize&, const TreemapSize&) = default;
};

struct TreemapLayout {
    TreemapSize size;
    std::vector<TreemapCell> cells;
    std::vector<NodeRef> nodes; // parallel to cells

    bool empty() const noexcept { return cells.empty(); }
    // The deepest cell containing a point; points on the far edges fall into the
    // edge cells, points outside give none, a gap gives the parent.
    std::optional<std::int32_t> cellIndex(double x, double y) const;
    // The cell that shows a node, or that shows it as part of a larger cell (a rest
    // cell or a folder drawn as a leaf); none outside the focus.
    std::optional<std::int32_t> cellIndexOfNode(const FileNode* node) const;
};

} // namespace plenwick
