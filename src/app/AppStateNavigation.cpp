// Moving between scans and through one: the folder chooser, rescanning the target,
// the list of disks, and the focus with its back and forward stacks.

#include "app/AppState.h"

namespace plenwick {

void AppState::chooseFolder() {
    assertGuiThread();
    // The dialog is the view's: the state never waits in a modal loop.
    emit folderChoiceRequested();
}

void AppState::rescanAll() {
    if (root_) {
        startScan(root_->url());
    } else if (scan_.target()) {
        const std::string target = *scan_.target();
        startScan(target);
    }
}

void AppState::goHome() {
    Operation op(*this);
    cancelScan();
    assign(hovered_, NodeRef(), Field::hovered);
    assign(quickLookURL_, std::optional<std::string>(), Field::quickLookURL);
    assign(pendingTrash_, NodeRef(), Field::pendingTrash);
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
    if (!root_ || (kind != Phase::Kind::home && kind != Phase::Kind::failed)) return;
    setPhase(Phase::results());
}

void AppState::navigate(const NodeRef& node) {
    assertGuiThread();
    if (!root_ || !node || !isInsideTree(node.get())) return;
    NodeRef target = node;
    if (!node->isContainer() && node->parent()) target = retainNode(node->parent());
    if (target == focus()) return;
    Operation op(*this);
    navigation_.moveTo(std::move(target));
}

void AppState::goBack() {
    Operation op(*this);
    navigation_.goBack(root_.get());
}

void AppState::goForward() {
    Operation op(*this);
    navigation_.goForward(root_.get());
}

void AppState::pruneHistory() {
    Operation op(*this);
    navigation_.pruneHistory(root_.get());
}

} // namespace plenwick
