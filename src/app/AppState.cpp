#include "app/AppState.h"

#include "app/NodeMapping.h"
#include "app/PathRelations.h"
#include "app/UninstallServices.h"
#include "scanner/FileTreeLock.h"

namespace plenwick {

AppState::AppState(AppEnvironment environment, QObject* parent) : QObject(parent), environment_(std::move(environment)) {
    environment_.uninstall = completedUninstallServices(std::move(environment_.uninstall), environment_.userInitiated);
    environment_.trash = completedTrashServices(std::move(environment_.trash));
    refreshVolumes();
}

AppState::~AppState() {
    scan_.stop();
    typeStatistics_.cancelUpdates();
}

void AppState::settlePhase() {
    if (scan_.settle()) restoreHighlightedColorMode(); // the breakdown that highlighted is gone
}

void AppState::bumpTreeVersion() {
    ++treeVersion_;
    touch(Field::treeVersion);
}

void AppState::editTree(const std::function<void()>& edit) {
    assertGuiThread();
    Operation op(*this);
    emit treeEditWillBegin();
    {
        FileTreeLock::WriteGuard lock;
        edit();
    }
    emit treeEditDidEnd();
    bumpTreeVersion();
}

void AppState::setPhase(Phase phase) {
    Operation op(*this);
    scan_.setPhase(std::move(phase));
}

void AppState::setVolumes(std::vector<VolumeInfo> volumes) {
    Operation op(*this);
    assignVolumes(std::move(volumes));
}

void AppState::setScanVolume(std::optional<VolumeInfo> volume) {
    Operation op(*this);
    assignScanVolume(std::move(volume));
}

void AppState::setHovered(NodeRef node) {
    Operation op(*this);
    assign(hovered_, std::move(node), Field::hovered);
}

void AppState::setVisualization(Visualization visualization) {
    Operation op(*this);
    assign(visualization_, visualization, Field::visualization);
}

void AppState::setColorMode(ColorMode mode) {
    Operation op(*this);
    if (mode == colorMode_) return;
    assign(colorMode_, mode, Field::colorMode);
    colorModeMemory_.colorModeChanged(mode);
}

void AppState::setTypeFilter(std::optional<TypeFilter> filter) {
    Operation op(*this);
    applyTypeFilter(std::move(filter));
}

void AppState::applyTypeFilter(std::optional<TypeFilter> filter) {
    if (changes_.assign(typeFilter_, std::move(filter), Field::typeFilter) && !typeFilter_)
        restoreHighlightedColorMode();
}

void AppState::restoreHighlightedColorMode() {
    if (const std::optional<ColorMode> restore = colorModeMemory_.highlightEnded(colorMode_))
        assign(colorMode_, *restore, Field::colorMode);
}

void AppState::toggleTypeHighlight(const TypeFilter& filter, ColorMode target) {
    Operation op(*this);
    if (typeFilter_ && *typeFilter_ == filter) {
        applyTypeFilter(std::nullopt);
        return;
    }
    assign(colorMode_, colorModeMemory_.startHighlight(colorMode_, target), Field::colorMode);
    applyTypeFilter(filter);
}

void AppState::forgetColorModeMemory() {
    assertGuiThread();
    colorModeMemory_ = ColorModeMemory();
}

void AppState::setShowInspector(bool show) {
    Operation op(*this);
    assign(showInspector_, show, Field::showInspector);
}

void AppState::setQuickLookURL(std::optional<std::string> url) {
    Operation op(*this);
    assign(quickLookURL_, std::move(url), Field::quickLookURL);
}

void AppState::setPendingTrash(NodeRef node) {
    Operation op(*this);
    assign(pendingTrash_, std::move(node), Field::pendingTrash);
}

void AppState::setUninstallSession(std::shared_ptr<UninstallSession> session) {
    Operation op(*this);
    uninstallSession_ = std::move(session);
    touch(Field::uninstallSession);
}

void AppState::setLastError(std::optional<std::string> message, std::optional<std::string> title) {
    Operation op(*this);
    assign(lastError_, std::move(message), Field::lastError);
    assign(lastErrorTitle_, std::move(title), Field::lastErrorTitle);
}

void AppState::setSelection(NodeRef node) {
    assertGuiThread();
    Operation op(*this);
    assign(selection_, std::move(node), Field::selection);
}

void AppState::select(NodeRef node) {
    Operation op(*this);
    assign(selection_, node, Field::selection);
    if (!node || !quickLookURL_) return;
    std::string url = node->url();
    if (*quickLookURL_ != url) assign(quickLookURL_, std::optional<std::string>(std::move(url)), Field::quickLookURL);
}


NodeRef AppState::nodeForURL(const std::string& path) const {
    if (!root_) return {};
    const std::string rootPath = normalizedPath(root_->url());
    const std::string wanted = normalizedPath(path);
    const auto rootParts = pathComponents(rootPath);
    const auto parts = pathComponents(wanted);
    if (parts.size() < rootParts.size() || !std::equal(rootParts.begin(), rootParts.end(), parts.begin())) return {};
    const FileNode* node = root_.get();
    for (std::size_t i = rootParts.size(); i < parts.size(); ++i) {
        const FileNode* next = nullptr;
        for (const NodeRef& child : node->children()) {
            if (child->name() == parts[i]) {
                next = child.get();
                break;
            }
        }
        if (!next) return {};
        node = next;
    }
    return retainNode(const_cast<FileNode*>(node));
}

void AppState::syncCollector(std::vector<NodeRef> nodes) {
    Operation op(*this);
    collector_.sync(std::move(nodes));
}

// Every field that holds a node of the tree, and how an edit moves it:
//   focus                    to the nearest place that still stands
//   both histories           to their counterparts (folders only), then pruned
//   selection, pendingTrash  to their counterparts, or none
//   hovered                  kept only while it is the same node: what lies under
//                            the pointer is a new question after the edit
//   quickLookURL             the preview closes when it showed something removed
//   the collector            items, their leftovers, the offers and the apps
//                            already offered to their counterparts, or dropped
//   the hard-link record     names to their counterparts, or dropped
// `refreshingFolders` is left to the rescans, which take their folders out when they
// end; a reset empties it with the generation that drops their outcomes.
void AppState::remapNodes(const NodeMapping& mapping) {
    assertGuiThread();
    Operation op(*this);
    navigation_.remap(mapping, root_.get());
    if (selection_) assign(selection_, mapping.counterpart(selection_), Field::selection);
    if (hovered_ && mapping.counterpart(hovered_) != hovered_) assign(hovered_, NodeRef(), Field::hovered);
    if (pendingTrash_) assign(pendingTrash_, mapping.counterpart(pendingTrash_), Field::pendingTrash);
    if (quickLookURL_ && mapping.removesPath(*quickLookURL_))
        assign(quickLookURL_, std::optional<std::string>(), Field::quickLookURL);
    collector_.remap(mapping);
    hardLinks_.remap(mapping);
}

bool AppState::isInsideTree(const FileNode* node) const noexcept { return root_ && isWithin(node, root_.get()); }

std::vector<NodeRef> AppState::nodesBelowRoot(const std::vector<NodeRef>& nodes) const {
    std::vector<NodeRef> below;
    for (const NodeRef& node : nodes)
        if (node && node->parent() && isInsideTree(node.get())) below.push_back(node);
    return below;
}

} // namespace plenwick
