#include "app/AppState.h"

#include "app/NodeMapping.h"
#include "app/UninstallServices.h"

namespace plenwick {

AppState::AppState(AppEnvironment environment, QObject* parent) : QObject(parent), environment_(std::move(environment)) {
    environment_.uninstall = completedUninstallServices(std::move(environment_.uninstall), environment_.userInitiated);
    environment_.trash = completedTrashServices(std::move(environment_.trash));
    // Every part holding nodes of the tree, and how an edit moves them:
    //   focus                    to the nearest place that still stands
    //   both histories           to their counterparts (folders only), then pruned
    //   selection, pendingTrash  to their counterparts, or none
    //   hovered                  kept only while it is the same node
    //   quickLookURL             the preview closes when it showed something removed
    //   the collector            items, their leftovers, the offers and the apps
    //                            already offered to their counterparts, or dropped
    //   the hard-link record     names to their counterparts, or dropped
    // `refreshingFolders` is left to the rescans, which take their folders out when
    // they end; a reset empties it with the generation that drops their outcomes.
    results_.addNodeHolder([this](const NodeMapping& mapping) { navigation_.remap(mapping, root().get()); });
    results_.addNodeHolder([this](const NodeMapping& mapping) { alerts_.remap(mapping); });
    results_.addNodeHolder([this](const NodeMapping& mapping) { presentation_.remap(mapping); });
    results_.addNodeHolder([this](const NodeMapping& mapping) { trashMoves_.collector().remap(mapping); });
    refreshVolumes();
}

AppState::~AppState() = default;

TreeUpkeep AppState::treeUpkeep() {
    return {[this](const std::function<void()>& edit) { results_.editTree(edit); },
            [this](const NodeMapping& mapping) { results_.remapNodes(mapping); },
            [this](std::vector<NodeRef> removed, TypeTotals added) {
                statsUpdates_.schedule(std::move(removed), std::move(added));
            },
            [this] { volumeRefresh_.refreshScanVolumeForRoot(); },
            [this] {
                StateChanges::Operation op(changes_);
                scanRun_.reset();
                scanRun_.session().setPhase(Phase::home());
                // As when the results are closed by hand: what went changed the disks.
                volumeRefresh_.refreshVolumes();
            },
            [this](const NodeRef& folder) { folderRescan_.rescan(folder, true); }};
}

void AppState::settlePhase() {
    // The breakdown that highlighted is gone with the results.
    if (scanRun_.session().settle()) presentation_.restoreHighlightedColorMode();
}

void AppState::setPhase(Phase phase) {
    Operation op(*this);
    scanRun_.session().setPhase(std::move(phase));
}

void AppState::setScanVolume(std::optional<VolumeInfo> volume) {
    Operation op(*this);
    volumeRefresh_.assignScanVolume(std::move(volume));
}

void AppState::refreshVolumes() {
    assertGuiThread();
    volumeRefresh_.refreshVolumes();
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

void AppState::chooseFolder() {
    assertGuiThread();
    // The dialog is the view's: the state never waits in a modal loop.
    emit folderChoiceRequested();
}

void AppState::goHome() {
    Operation op(*this);
    cancelScan();
    navigation_.setHovered(NodeRef());
    presentation_.setQuickLookURL(std::nullopt);
    alerts_.setPendingTrash(NodeRef());
    scanRun_.session().setPhase(Phase::home());
    refreshVolumes();
}

void AppState::closeResults() {
    Operation op(*this);
    cancelScan();
    scanRun_.reset();
    scanRun_.session().setPhase(Phase::home());
    refreshVolumes();
}

void AppState::backToResults() {
    const auto kind = scanRun_.session().phase().kind();
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

} // namespace plenwick
