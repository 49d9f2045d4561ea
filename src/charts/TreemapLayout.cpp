#include "charts/TreemapLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plenwick {

std::optional<std::int32_t> TreemapLayout::cellIndex(double x, double y) const {
    if (cells.empty()) return std::nullopt;
    const TreemapRect& root = cells[0].rect;
    if (!(root.x0 <= x && x <= root.x1 && root.y0 <= y && y <= root.y1)) return std::nullopt;
    x = std::min(x, std::nextafter(root.x1, -std::numeric_limits<double>::infinity()));
    y = std::min(y, std::nextafter(root.y1, -std::numeric_limits<double>::infinity()));

    std::int32_t current = 0;
    for (;;) {
        const TreemapCell& cell = cells[static_cast<std::size_t>(current)];
        std::int32_t found = -1;
        for (std::int32_t i = cell.firstChild; cell.childCount > 0 && i < cell.firstChild + cell.childCount; ++i) {
            if (cells[static_cast<std::size_t>(i)].rect.contains(x, y)) {
                found = i;
                break;
            }
        }
        if (found < 0) return current;
        current = found;
    }
}

std::optional<std::int32_t> TreemapLayout::cellIndexOfNode(const FileNode* node) const {
    if (cells.empty() || !node) return std::nullopt;
    const FileNode* focus = nodes[0].get();
    std::vector<const FileNode*> path; // below the focus, deepest first
    const FileNode* n = node;
    for (; n && n != focus; n = n->parent()) path.push_back(n);
    if (n != focus) return std::nullopt;

    std::int32_t current = 0;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const TreemapCell& cell = cells[static_cast<std::size_t>(current)];
        if (cell.childCount == 0) return current;
        std::int32_t next = -1;
        for (std::int32_t i = cell.firstChild; i < cell.firstChild + cell.childCount; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (cells[k].restCount == 0 && nodes[k].get() == *it) {
                next = i;
                break;
            }
        }
        if (next < 0) {
            const std::int32_t last = cell.firstChild + cell.childCount - 1;
            return cells[static_cast<std::size_t>(last)].restCount > 0 ? last : current;
        }
        current = next;
    }
    return current;
}

} // namespace plenwick
