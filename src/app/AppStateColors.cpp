// How every view colours a node, and the test of the type highlight.

#include "app/AppState.h"
#include "app/CategoryColors.h"

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

// Folders, and packages the scanner descended into, are coloured and filtered as
// containers; everything else as a file with an extension.
bool actsAsContainer(const FileNode& node) {
    return node.kind() == FileNode::Kind::directory ||
           (node.kind() == FileNode::Kind::package && node.childCount() > 0);
}

} // namespace

const AppState::FolderColoring* AppState::makeFolderColoring() const {
    const NodeRef& base = focus() ? focus() : root_;
    if (!base) return nullptr;
    if (folderColoring_ && folderColoring_->focus == base && folderColoring_->version == treeVersion_)
        return &*folderColoring_;

    const FileNode* anchor = base.get();
    while (anchor->childCount() == 1) {
        const FileNode& only = *anchor->children()[0];
        if (!only.isContainer() || only.childCount() == 0) break;
        anchor = &only;
    }
    FolderColoring coloring;
    coloring.focus = base;
    coloring.version = treeVersion_;
    coloring.anchor = retainNode(const_cast<FileNode*>(anchor));
    const auto children = anchor->children();
    coloring.childSlots.reserve(std::min(children.size(), maxReservedSlots));
    for (std::size_t i = 0; i < children.size(); ++i) coloring.childSlots.emplace(children[i].get(), static_cast<int>(i));
    folderColoring_ = std::move(coloring);
    return &*folderColoring_;
}

RGB AppState::color(const FileNode& node) const {
    switch (colorMode_) {
    case ColorMode::byKind:
        return categoryColor(categoryFor(node.kind(), node.fileExtension()));
    case ColorMode::byType: {
        if (actsAsContainer(node)) return defaultNodeColor;
        const auto it = extensionColors_.find(node.fileExtension());
        return it == extensionColors_.end() ? defaultNodeColor : it->second;
    }
    case ColorMode::byFolder:
        break;
    }

    const FolderColoring* coloring = makeFolderColoring();
    if (!coloring) return defaultNodeColor;
    const FileNode* anchor = coloring->anchor.get();
    for (const FileNode* n = &node; n; n = n->parent()) {
        if (n->parent() != anchor) continue;
        const auto slot = coloring->childSlots.find(n);
        if (slot != coloring->childSlots.end()) return folderSlotColor(slot->second);
        break;
    }
    const FileNode* focus = this->focus().get();
    if (!focus || &node == focus) return defaultNodeColor;
    // The chain of single folders skipped between the focus and the anchor.
    for (const FileNode* n = anchor; n && n != focus; n = n->parent())
        if (n == &node) return folderSlotColor(0);
    return defaultNodeColor;
}

bool AppState::matchesTypeFilter(const FileNode& node) const {
    if (!typeFilter_) return true;
    if (node.kind() == FileNode::Kind::inaccessible || actsAsContainer(node)) return false;
    const std::string ext = node.fileExtension();
    if (const std::string* wanted = typeFilter_->asFileExtension()) return ext == *wanted;
    return categoryFor(node.kind(), ext) == *typeFilter_->asCategory();
}

} // namespace plenwick
