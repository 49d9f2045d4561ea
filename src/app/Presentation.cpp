#include "app/Presentation.h"

#include "app/CategoryColors.h"
#include "app/Navigation.h"
#include "app/NodeMapping.h"
#include "app/ScanResults.h"
#include "app/TypeStatistics.h"

namespace plenwick {

namespace {

// Folders, and packages the scanner descended into, are coloured and filtered as
// containers; everything else as a file with an extension.
bool actsAsContainer(const FileNode& node) {
    return node.kind() == FileNode::Kind::directory ||
           (node.kind() == FileNode::Kind::package && node.childCount() > 0);
}

} // namespace

void Presentation::setVisualization(Visualization visualization) {
    changes_.assign(visualization_, visualization, StateField::visualization);
}

void Presentation::setColorMode(ColorMode mode) {
    if (mode == colorMode_) return;
    changes_.assign(colorMode_, mode, StateField::colorMode);
    colorModeMemory_.colorModeChanged(mode);
}

void Presentation::setTypeFilter(std::optional<TypeFilter> filter) {
    if (changes_.assign(typeFilter_, std::move(filter), StateField::typeFilter) && !typeFilter_)
        restoreHighlightedColorMode();
}

void Presentation::setShowInspector(bool show) { changes_.assign(showInspector_, show, StateField::showInspector); }

void Presentation::setQuickLookURL(std::optional<std::string> url) {
    changes_.assign(quickLookURL_, std::move(url), StateField::quickLookURL);
}

void Presentation::previewFollows(const FileNode& node) {
    if (!quickLookURL_) return;
    std::string url = node.url();
    if (*quickLookURL_ != url) setQuickLookURL(std::move(url));
}

void Presentation::toggleTypeHighlight(const TypeFilter& filter, ColorMode target) {
    if (typeFilter_ && *typeFilter_ == filter) {
        setTypeFilter(std::nullopt);
        return;
    }
    changes_.assign(colorMode_, colorModeMemory_.startHighlight(colorMode_, target), StateField::colorMode);
    setTypeFilter(filter);
}

void Presentation::restoreHighlightedColorMode() {
    if (const std::optional<ColorMode> restore = colorModeMemory_.highlightEnded(colorMode_))
        changes_.assign(colorMode_, *restore, StateField::colorMode);
}

void Presentation::remap(const NodeMapping& mapping) {
    if (quickLookURL_ && mapping.removesPath(*quickLookURL_)) setQuickLookURL(std::nullopt);
}

const NodeRef& Presentation::colorBase() const noexcept {
    return navigation_.focus() ? navigation_.focus() : results_.root();
}

const FolderColoring* Presentation::makeFolderColoring() const {
    return folderColors_.coloring(colorBase(), results_.treeVersion());
}

RGB Presentation::color(const FileNode& node) const {
    switch (colorMode_) {
    case ColorMode::byKind:
        return categoryColor(categoryFor(node.kind(), node.fileExtension()));
    case ColorMode::byType: {
        if (actsAsContainer(node)) return defaultNodeColor;
        const ExtensionColors& colors = statistics_.extensionColors();
        const auto it = colors.find(node.fileExtension());
        return it == colors.end() ? defaultNodeColor : it->second;
    }
    case ColorMode::byFolder:
        break;
    }
    return folderColors_.color(node, colorBase(), navigation_.focus().get(), results_.treeVersion());
}

bool Presentation::matchesTypeFilter(const FileNode& node) const {
    if (!typeFilter_) return true;
    if (node.kind() == FileNode::Kind::inaccessible || actsAsContainer(node)) return false;
    const std::string ext = node.fileExtension();
    if (const std::string* wanted = typeFilter_->asFileExtension()) return ext == *wanted;
    return categoryFor(node.kind(), ext) == *typeFilter_->asCategory();
}

} // namespace plenwick
