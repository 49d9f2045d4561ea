// How every view colours a node, and the test of the type highlight.

#include "app/AppState.h"
#include "app/CategoryColors.h"

namespace plenwick {

namespace {

// Folders, and packages the scanner descended into, are coloured and filtered as
// containers; everything else as a file with an extension.
bool actsAsContainer(const FileNode& node) {
    return node.kind() == FileNode::Kind::directory ||
           (node.kind() == FileNode::Kind::package && node.childCount() > 0);
}

} // namespace

const AppState::FolderColoring* AppState::makeFolderColoring() const {
    return folderColors_.coloring(focus() ? focus() : root_, treeVersion_);
}

RGB AppState::color(const FileNode& node) const {
    switch (colorMode_) {
    case ColorMode::byKind:
        return categoryColor(categoryFor(node.kind(), node.fileExtension()));
    case ColorMode::byType: {
        if (actsAsContainer(node)) return defaultNodeColor;
        const ExtensionColors& colors = typeStatistics_.extensionColors();
        const auto it = colors.find(node.fileExtension());
        return it == colors.end() ? defaultNodeColor : it->second;
    }
    case ColorMode::byFolder:
        break;
    }
    return folderColors_.color(node, focus() ? focus() : root_, focus().get(), treeVersion_);
}

bool AppState::matchesTypeFilter(const FileNode& node) const {
    if (!typeFilter_) return true;
    if (node.kind() == FileNode::Kind::inaccessible || actsAsContainer(node)) return false;
    const std::string ext = node.fileExtension();
    if (const std::string* wanted = typeFilter_->asFileExtension()) return ext == *wanted;
    return categoryFor(node.kind(), ext) == *typeFilter_->asCategory();
}

} // namespace plenwick
