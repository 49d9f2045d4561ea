#include "chartviews/AppStateChartState.h"

#include "app/AppState.h"

namespace plenwick {

AppStateChartState::AppStateChartState(AppState& state) : state_(state) {}

const NodeRef& AppStateChartState::root() const { return state_.root(); }
const NodeRef& AppStateChartState::focus() const { return state_.focus(); }
std::int64_t AppStateChartState::treeVersion() const { return state_.treeVersion(); }
ColorMode AppStateChartState::colorMode() const { return state_.colorMode(); }
const std::optional<TypeFilter>& AppStateChartState::typeFilter() const { return state_.typeFilter(); }
std::int64_t AppStateChartState::collectorVersion() const { return state_.collectorVersion(); }
std::int64_t AppStateChartState::extensionColorsVersion() const { return state_.extensionColorsVersion(); }
std::int64_t AppStateChartState::unattributedBytes() const { return state_.unattributedBytes(); }
const std::vector<NodeRef>& AppStateChartState::collector() const { return state_.collector(); }
bool AppStateChartState::isCollected(const FileNode* node) const { return state_.isCollected(node); }
bool AppStateChartState::isCollectedOrInside(const FileNode* node) const { return state_.isCollectedOrInside(node); }

const FileNode* AppStateChartState::folderColoringAnchor() const {
    const AppState::FolderColoring* coloring = state_.makeFolderColoring();
    return coloring ? coloring->anchor.get() : nullptr;
}

RGB AppStateChartState::color(const FileNode& node) const { return state_.color(node); }
bool AppStateChartState::matchesTypeFilter(const FileNode& node) const { return state_.matchesTypeFilter(node); }

} // namespace plenwick
