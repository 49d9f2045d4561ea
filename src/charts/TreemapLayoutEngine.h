#pragma once
// Builds a treemap layout breadth first: the root cell shows the focus, every
// pending container cell is divided into squarified cells for its children, and
// the children too small to draw share one rest cell. Leaves take their colour
// from the state (by folder, kind or extension), dimmed when they miss the type
// filter and greyed when collected.

#include "charts/ChartState.h"
#include "charts/TreemapLayout.h"

#include <array>
#include <cstddef>
#include <optional>
#include <unordered_set>

namespace plenwick {

struct TreemapLayoutEngine {
    struct Options {
        double minSubdivideSide = 3.0; // points; a smaller container cell stays a leaf
        double minCellArea = 4.0;      // square points a child needs for a cell of its own
        std::int32_t maxCells = 250000;
    };

    // The colour of a cell that does not match the active type filter.
    static RGB dimmedColor(const RGB& c) noexcept;

    // The node a cell shown undivided takes its colour from: the end of the chain of
    // largest children.
    static const FileNode* representative(const FileNode* node) noexcept;

    // The working state of one build; it reads the state as it was when created.
    class Builder {
    public:
        Builder(NodeRef focus, const ChartState& state, Options options);

        void addRoot(double width, double height);
        // Divides cell i among its node's children; false when it has none to show.
        bool expand(std::size_t i);
        // Gives cell i its colour from `node`, its representative.
        void cellColor(std::size_t i, const FileNode* node);

        // Processes up to `positions` cursor positions; true when every cell is done.
        bool runSlice(std::size_t positions);
        bool finished() const noexcept { return cursor_ >= cells_.size(); }
        const NodeRef& focus() const noexcept { return focus_; }
        TreemapLayout takeLayout(TreemapSize size);

    private:
        void addCell(const TreemapRect& rect, std::int32_t parent, std::int32_t depth, std::int32_t restCount,
                     NodeRef node, std::int32_t topIndex, bool collected);

        NodeRef focus_;
        const ChartState& state_;
        Options options_;
        ColorMode colorMode_;
        bool filterActive_;
        const FileNode* anchor_ = nullptr;
        std::unordered_set<const FileNode*> collectedIDs_;
        bool focusCollected_ = false;
        std::vector<TreemapCell> cells_;
        std::vector<NodeRef> nodes_;
        std::vector<std::int32_t> topIndex_;
        std::vector<bool> pending_;
        std::array<std::optional<RGB>, 24> folderColors_{};
        std::size_t cursor_ = 0;
        std::vector<double> weights_; // scratch for expand
    };
};

} // namespace plenwick
