#include "app/AppState.h"

#include "app/NodeMapping.h"
#include "app/UninstallServices.h"
#include "scanner/FileTreeLock.h"
#include "scanner/VolumeNames.h"

namespace plenwick {

AppState::AppState(AppEnvironment environment, QObject* parent) : QObject(parent), environment_(std::move(environment)) {
    environment_.uninstall = completedUninstallServices(std::move(environment_.uninstall), environment_.userInitiated);
    environment_.trash = completedTrashServices(std::move(environment_.trash));
    refreshVolumes();
}

AppState::~AppState() {
    scan_.stop();
    typeStatistics_.cancelUpdates();
    setVolumeNames({});
}

TreeUpkeep AppState::treeUpkeep() {
    return {[this](const std::function<void()>& edit) { editTree(edit); },
            [this](const NodeMapping& mapping) { remapNodes(mapping); },
            [this](std::vector<NodeRef> removed, TypeTotals added) {
                scheduleStatsUpdate(std::move(removed), std::move(added));
            },
            [this] { refreshScanVolumeForRoot(); },
            [this] {
                Operation op(*this);
                resetResults();
                scan_.setPhase(Phase::home());
            }};
}

void AppState::settlePhase() {
    // The breakdown that highlighted is gone with the results.
    if (scan_.settle()) presentation_.restoreHighlightedColorMode();
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
    results_.bumpTreeVersion();
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
    navigation_.setHovered(std::move(node));
}

void AppState::setVisualization(Visualization visualization) {
    Operation op(*this);
    presentation_.setVisualization(visualization);
}

void AppState::setColorMode(ColorMode mode) {
    Operation op(*this);
    presentation_.setColorMode(mode);
}

void AppState::setTypeFilter(std::optional<TypeFilter> filter) {
    Operation op(*this);
    presentation_.setTypeFilter(std::move(filter));
}

void AppState::toggleTypeHighlight(const TypeFilter& filter, ColorMode target) {
    Operation op(*this);
    presentation_.toggleTypeHighlight(filter, target);
}

void AppState::forgetColorModeMemory() {
    assertGuiThread();
    presentation_.forgetColorModeMemory();
}

void AppState::setShowInspector(bool show) {
    Operation op(*this);
    presentation_.setShowInspector(show);
}

void AppState::setQuickLookURL(std::optional<std::string> url) {
    Operation op(*this);
    presentation_.setQuickLookURL(std::move(url));
}

void AppState::setPendingTrash(NodeRef node) {
    Operation op(*this);
    alerts_.setPendingTrash(std::move(node));
}

void AppState::setUninstallSession(std::shared_ptr<UninstallSession> session) {
    Operation op(*this);
    alerts_.setUninstallSession(std::move(session));
}

void AppState::setLastError(std::optional<std::string> message, std::optional<std::string> title) {
    Operation op(*this);
    alerts_.setLastError(std::move(message), std::move(title));
}

void AppState::setSelection(NodeRef node) {
    assertGuiThread();
    Operation op(*this);
    navigation_.setSelection(std::move(node));
}

void AppState::select(NodeRef node) {
    Operation op(*this);
    navigation_.setSelection(node);
    if (node) presentation_.previewFollows(*node);
}

void AppState::trashPending(const NodeRef& node) {
    trashMoves_.trashPending(node, [this](const AppBundleInfo& app, std::optional<std::string> trashURL) {
        uninstallEntry_.offerLeftoversAfterTrash(app, std::move(trashURL));
    });
}

// Every field that holds a node of the tree, and how an edit moves it:
//   focus                    to the nearest place that still stands
//   both histories           to their counterparts (folders only), then pruned
//   selection, pendingTrash  to their counterparts, or none
//   hovered                  kept only while it is the same node
//   quickLookURL             the preview closes when it showed something removed
//   the collector            items, their leftovers, the offers and the apps
//                            already offered to their counterparts, or dropped
//   the hard-link record     names to their counterparts, or dropped
// `refreshingFolders` is left to the rescans, which take their folders out when they
// end; a reset empties it with the generation that drops their outcomes.
void AppState::remapNodes(const NodeMapping& mapping) {
    assertGuiThread();
    Operation op(*this);
    navigation_.remap(mapping, root().get());
    alerts_.remap(mapping);
    presentation_.remap(mapping);
    trashMoves_.collector().remap(mapping);
    results_.hardLinks().remap(mapping);
}

void AppState::chooseFolder() {
    assertGuiThread();
    // The dialog is the view's: the state never waits in a modal loop.
    emit folderChoiceRequested();
}

void AppState::rescanAll() {
    if (root()) {
        startScan(root()->url());
    } else if (scan_.target()) {
        const std::string target = *scan_.target();
        startScan(target);
    }
}

void AppState::goHome() {
    Operation op(*this);
    cancelScan();
    navigation_.setHovered(NodeRef());
    presentation_.setQuickLookURL(std::nullopt);
    alerts_.setPendingTrash(NodeRef());
    scan_.setPhase(Phase::home());
    refreshVolumes();
}

void AppState::closeResults() {
    Operation op(*this);
    cancelScan();
    resetResults();
    setPhase(Phase::home());
    refreshVolumes();
}

void AppState::backToResults() {
    const auto kind = scan_.phase().kind();
    if (!root() || (kind != Phase::Kind::home && kind != Phase::Kind::failed)) return;
    setPhase(Phase::results());
}

void AppState::navigate(const NodeRef& node) {
    assertGuiThread();
    NodeRef target = navigation_.stepTarget(node, root().get());
    if (!target) return;
    Operation op(*this);
    navigation_.moveTo(std::move(target));
}

void AppState::goBack() {
    Operation op(*this);
    navigation_.goBack(root().get());
}

void AppState::goForward() {
    Operation op(*this);
    navigation_.goForward(root().get());
}

void AppState::pruneHistory() {
    Operation op(*this);
    navigation_.pruneHistory(root().get());
}

} // namespace plenwick
