#include "charts/TreemapLayoutEngine.h"

#include "charts/TreemapSquarify.h"

#include <algorithm>
#include <limits>

namespace plenwick {

namespace {

constexpr std::size_t folderPaletteLength = 24; // the state's folder palette repeats after this

double luma(const RGB& c) noexcept { return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue; }

} // namespace

RGB TreemapLayoutEngine::dimmedColor(const RGB& c) noexcept {
    const double l = luma(c) * 0.3 + 0.25;
    return {(0.85 * l + 0.15 * c.red) * 0.75, (0.85 * l + 0.15 * c.green) * 0.75, (0.85 * l + 0.15 * c.blue) * 0.75};
}

const FileNode* TreemapLayoutEngine::representative(const FileNode* node) noexcept {
    while (node->isContainer() && node->childCount() > 0 && node->children()[0]->size() >= 1)
        node = node->children()[0].get();
    return node;
}

TreemapLayoutEngine::Builder::Builder(NodeRef focus, const ChartState& state, Options options)
    : focus_(std::move(focus)), state_(state), options_(options), colorMode_(state.colorMode()),
      filterActive_(state.typeFilter().has_value()) {
    // The anchor colours only what lies below the focus.
    for (const FileNode* a = state.folderColoringAnchor(); a; a = a->parent()) {
        if (a == focus_.get()) {
            anchor_ = state.folderColoringAnchor();
            break;
        }
    }
    for (const NodeRef& n : state.collector()) collectedIDs_.insert(n.get());
    focusCollected_ = state.isCollectedOrInside(focus_.get());
}

void TreemapLayoutEngine::Builder::addCell(const TreemapRect& rect, std::int32_t parent, std::int32_t depth,
                                           std::int32_t restCount, NodeRef node, std::int32_t topIndex,
                                           bool collected) {
    TreemapCell cell;
    cell.rect = rect;
    cell.parent = parent;
    cell.depth = depth;
    cell.restCount = restCount;
    cell.collected = collected;
    cells_.push_back(cell);
    nodes_.push_back(std::move(node));
    topIndex_.push_back(topIndex);
    pending_.push_back(false);
}

void TreemapLayoutEngine::Builder::addRoot(double width, double height) {
    addCell({0, 0, width, height}, -1, 0, 0, focus_, -1, focusCollected_ || collectedIDs_.count(focus_.get()) > 0);
    if (options_.minSubdivideSide <= width && options_.minSubdivideSide <= height && focus_->isContainer())
        pending_[0] = true;
    else
        cellColor(0, representative(focus_.get()));
}

bool TreemapLayoutEngine::Builder::expand(std::size_t i) {
    const FileNode* node = nodes_[i].get();
    const auto children = node->children();
    if (node->size() <= 0 || children.empty() || children[0]->size() <= 0) return false;

    const TreemapRect r = cells_[i].rect;
    const double areaPerByte = r.width() * r.height() / static_cast<double>(node->size());
    const std::size_t limit = static_cast<std::size_t>(
        std::max<std::int64_t>(1, std::int64_t{options_.maxCells} - static_cast<std::int64_t>(cells_.size()) - 1));

    weights_.clear();
    std::int64_t shown = 0;
    std::size_t taken = 0;
    for (; taken < children.size() && taken < limit; ++taken) {
        const std::int64_t size = children[taken]->size();
        if (size < 1 || areaPerByte * static_cast<double>(size) < options_.minCellArea) break;
        weights_.push_back(static_cast<double>(size));
        shown += size;
    }
    bool hasRest = false;
    if (taken < children.size()) {
        const std::int64_t rest = node->size() - shown;
        if (rest >= 1) {
            weights_.push_back(static_cast<double>(rest));
            hasRest = true;
        }
    }
    const std::vector<TreemapRect> rects = squarify(weights_, r);

    const auto firstNew = static_cast<std::int32_t>(cells_.size());
    const bool isAnchor = node == anchor_;
    const TreemapCell parent = cells_[i];
    const auto parentIndex = static_cast<std::int32_t>(i);
    for (std::size_t k = 0; k < taken; ++k) {
        const NodeRef& child = children[k];
        const std::int32_t top = isAnchor ? static_cast<std::int32_t>(k) : topIndex_[i];
        addCell(rects[k], parentIndex, parent.depth + 1, 0, child, top,
                parent.collected || collectedIDs_.count(child.get()) > 0);
        const std::size_t c = cells_.size() - 1;
        if (child->isContainer() && rects[k].width() >= options_.minSubdivideSide &&
            rects[k].height() >= options_.minSubdivideSide)
            pending_[c] = true;
        else
            cellColor(c, representative(child.get()));
    }
    if (hasRest) {
        // Children are sorted by size, so the empty ones start where a binary search says.
        const auto firstHidden = children.begin() + static_cast<std::ptrdiff_t>(taken);
        const auto firstEmpty =
            std::partition_point(firstHidden, children.end(), [](const NodeRef& c) { return c->size() >= 1; });
        const auto hidden = static_cast<std::int64_t>(firstEmpty - firstHidden);
        const auto restCount = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(hidden, 1, std::numeric_limits<std::int32_t>::max()));
        const std::int32_t top = isAnchor ? static_cast<std::int32_t>(taken) : topIndex_[i];
        addCell(rects.back(), parentIndex, parent.depth + 1, restCount, nodes_[i], top, parent.collected);
        cellColor(cells_.size() - 1, representative(children[taken].get()));
    }
    cells_[i].firstChild = firstNew;
    cells_[i].childCount = static_cast<std::int32_t>(cells_.size()) - firstNew;
    return true;
}

void TreemapLayoutEngine::Builder::cellColor(std::size_t i, const FileNode* node) {
    RGB c;
    const std::int32_t top = topIndex_[i];
    if (colorMode_ == ColorMode::byFolder && top >= 0 && anchor_) {
        const std::size_t slot = static_cast<std::size_t>(top) % folderPaletteLength;
        if (!folderColors_[slot]) folderColors_[slot] = state_.color(*anchor_->children()[slot]);
        c = *folderColors_[slot];
    } else {
        c = state_.color(*node);
    }
    const double mean = (c.red + c.green + c.blue) / 3;
    if (mean <= 0.001) {
        c = {0.6, 0.6, 0.6};
    } else {
        const double f = 0.6 / mean;
        c = {c.red * f, c.green * f, c.blue * f};
    }
    if (filterActive_ && !state_.matchesTypeFilter(*node)) c = dimmedColor(c);
    if (cells_[i].collected) {
        const double l = luma(c);
        c = {0.8 * l + 0.2 * c.red, 0.8 * l + 0.2 * c.green, 0.8 * l + 0.2 * c.blue};
    }
    cells_[i].color = {static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue)};
}

bool TreemapLayoutEngine::Builder::runSlice(std::size_t positions) {
    const auto maxCells = static_cast<std::size_t>(std::max(options_.maxCells, 0));
    for (std::size_t n = 0; n < positions && cursor_ < cells_.size(); ++n, ++cursor_) {
        // Only pending cells are divided or coloured here: the others were coloured
        // when they were made, and a rest cell's folder must not be divided again.
        if (!pending_[cursor_]) continue;
        pending_[cursor_] = false;
        if (cells_.size() + 2 > maxCells || !expand(cursor_))
            cellColor(cursor_, representative(nodes_[cursor_].get()));
    }
    return finished();
}

TreemapLayout TreemapLayoutEngine::Builder::takeLayout(TreemapSize size) {
    return TreemapLayout{size, std::move(cells_), std::move(nodes_)};
}

} // namespace plenwick
