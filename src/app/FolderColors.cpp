#include "app/FolderColors.h"

#include <cmath>
#include <cstdint>

namespace plenwick {

namespace {

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

void ChildSlots::assign(std::span<const NodeRef> children) {
    std::size_t capacity = 16;
    while (capacity < children.size() * 2) capacity *= 2;  // at most half full
    table_.assign(capacity, {nullptr, -1});
    count_ = children.size();
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const FileNode* child = children[i].get();
        std::size_t place = home(child);
        while (table_[place].first && table_[place].first != child) place = (place + 1) & mask;
        table_[place] = {child, static_cast<int>(i)};
    }
}

std::size_t ChildSlots::home(const FileNode* child) const noexcept {
    // Fibonacci hashing of the address; its low bits are alignment.
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(child));
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 32) & (table_.size() - 1);
}

int ChildSlots::find(const FileNode* child) const noexcept {
    if (table_.empty() || !child) return -1;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t place = home(child); table_[place].first; place = (place + 1) & mask)
        if (table_[place].first == child) return table_[place].second;
    return -1;
}

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
    coloring.childSlots.assign(anchor->children());
    cache_ = std::move(coloring);
    return &*cache_;
}

RGB FolderColors::color(const FileNode& node, const NodeRef& base, const FileNode* focus, std::int64_t version) const {
    const FolderColoring* coloring = this->coloring(base, version);
    if (!coloring) return defaultNodeColor;
    const FileNode* anchor = coloring->anchor.get();
    for (const FileNode* n = &node; n; n = n->parent()) {
        if (n->parent() != anchor) continue;
        const int slot = coloring->childSlots.find(n);
        if (slot >= 0) return folderSlotColor(slot);
        break;
    }
    if (!focus || &node == focus) return defaultNodeColor;
    // The chain of single folders skipped between the focus and the anchor.
    for (const FileNode* n = anchor; n && n != focus; n = n->parent())
        if (n == &node) return folderSlotColor(0);
    return defaultNodeColor;
}

} // namespace plenwick
