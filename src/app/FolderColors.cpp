#include "app/FolderColors.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

constexpr std::size_t maxReservedSlots = 4096;
constexpr int hueCycle = 24;
constexpr double goldenHueStep = 0.38196601125;
constexpr double firstHue = 0.58;
constexpr double folderSaturation = 0.62;
constexpr double folderBrightness = 0.92;

RGB folderSlotColor(int slot) {
    const double hue = (slot % hueCycle) * goldenHueStep + firstHue;
    return hsbToRGB(hue - std::floor(hue), folderSaturation, folderBrightness);
}

} // namespace

const FolderColoring* FolderColors::coloring(const NodeRef& base, std::int64_t version) const {
    if (!base) return nullptr;
    if (cache_ && cache_->focus == base && cache_->version == version) return &*cache_;

    const FileNode* anchor = base.get();
    while (anchor->childCount() == 1) {
        const FileNode& only = *anchor->children()[0];
        if (!only.isContainer() || only.childCount() == 0) break;
        anchor = &only;
    }
    FolderColoring coloring;
    coloring.focus = base;
    coloring.version = version;
    coloring.anchor = retainNode(const_cast<FileNode*>(anchor));
    const auto children = anchor->children();
    coloring.childSlots.reserve(std::min(children.size(), maxReservedSlots));
    for (std::size_t i = 0; i < children.size(); ++i) coloring.childSlots.emplace(children[i].get(), static_cast<int>(i));
    cache_ = std::move(coloring);
    return &*cache_;
}

RGB FolderColors::color(const FileNode& node, const NodeRef& base, const FileNode* focus, std::int64_t version) const {
    const FolderColoring* coloring = this->coloring(base, version);
    if (!coloring) return defaultNodeColor;
    const FileNode* anchor = coloring->anchor.get();
    for (const FileNode* n = &node; n; n = n->parent()) {
        if (n->parent() != anchor) continue;
        const auto slot = coloring->childSlots.find(n);
        if (slot != coloring->childSlots.end()) return folderSlotColor(slot->second);
        break;
    }
    if (!focus || &node == focus) return defaultNodeColor;
    // The chain of single folders skipped between the focus and the anchor.
    for (const FileNode* n = anchor; n && n != focus; n = n->parent())
        if (n == &node) return folderSlotColor(0);
    return defaultNodeColor;
}

} // namespace plenwick
