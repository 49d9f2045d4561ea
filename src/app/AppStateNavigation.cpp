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
    } else if (scanTarget_) {
        const std::string target = *scanTarget_;
        startScan(target);
    }
}

void AppState::goHome() {
    Operation op(*this);
    cancelScan();
    assign(hovered_, NodeRef(), Field::hovered);
    assign(quickLookURL_, std::optional<std::string>(), Field::quickLookURL);
    assign(pendingTrash_, NodeRef(), Field::pendingTrash);
    assign(phase_, Phase::home(), Field::phase);
    refreshVolumes();
}

void AppState::backToResults() {
    const auto kind = phase_.kind();
    if (!root_ || (kind != Phase::Kind::home && kind != Phase::Kind::failed)) return;
    setPhase(Phase::results());
}

void AppState::navigate(const NodeRef& node) {
    assertGuiThread();
    if (!root_ || !node || !isInsideTree(node.get())) return;
    NodeRef target = node;
    if (!node->isContainer() && node->parent()) target = retainNode(node->parent());
    if (target == focus_) return;
    Operation op(*this);
    if (focus_) {
        navigationHistory_.push_back(focus_);
        touch(Field::navigationHistory);
    }
    if (!forwardHistory_.empty()) assign(forwardHistory_, {}, Field::forwardHistory);
    assign(focus_, std::move(target), Field::focus);
}

void AppState::goBack() { stepHistory(navigationHistory_, Field::navigationHistory, forwardHistory_, Field::forwardHistory); }

void AppState::goForward() { stepHistory(forwardHistory_, Field::forwardHistory, navigationHistory_, Field::navigationHistory); }

void AppState::stepHistory(std::vector<NodeRef>& source, Field sourceField, std::vector<NodeRef>& other, Field otherField) {
    Operation op(*this);
    while (!source.empty()) {
        NodeRef entry = std::move(source.back());
        source.pop_back();
        touch(sourceField);
        if (entry == focus_ || !isInsideTree(entry.get())) continue;
        if (focus_) {
            other.push_back(focus_);
            touch(otherField);
        }
        assign(focus_, std::move(entry), Field::focus);
        return;
    }
}

std::vector<NodeRef> AppState::prunedStack(const std::vector<NodeRef>& stack) const {
    std::vector<NodeRef> kept;
    kept.reserve(stack.size());
    for (const NodeRef& entry : stack) {
        if (!isInsideTree(entry.get())) continue;
        if (!kept.empty() && kept.back() == entry) continue;
        kept.push_back(entry);
    }
    while (!kept.empty() && kept.back() == focus_) kept.pop_back();
    return kept;
}

void AppState::pruneHistory() {
    Operation op(*this);
    assign(navigationHistory_, prunedStack(navigationHistory_), Field::navigationHistory);
    assign(forwardHistory_, prunedStack(forwardHistory_), Field::forwardHistory);
}

} // namespace plenwick
