#include "app/Navigation.h"

#include "app/NodeMapping.h"

namespace plenwick {

namespace {

bool lies(const FileNode* node, const FileNode* root) noexcept { return root && isWithin(node, root); }

} // namespace

void Navigation::setFocus(NodeRef node) { changes_.assign(focus_, std::move(node), StateField::focus); }

void Navigation::moveTo(NodeRef target) {
    if (target == focus_) return;
    if (focus_) {
        back_.push_back(focus_);
        changes_.touch(StateField::navigationHistory);
    }
    if (!forward_.empty()) changes_.assign(forward_, {}, StateField::forwardHistory);
    setFocus(std::move(target));
}

NodeRef Navigation::stepTarget(const NodeRef& node, const FileNode* root) const {
    if (!node || !lies(node.get(), root)) return {};
    NodeRef target = node;
    if (!node->isContainer() && node->parent()) target = retainNode(node->parent());
    return target == focus_ ? NodeRef() : target;
}

void Navigation::goBack(const FileNode* root) {
    step(back_, StateField::navigationHistory, forward_, StateField::forwardHistory, root);
}

void Navigation::goForward(const FileNode* root) {
    step(forward_, StateField::forwardHistory, back_, StateField::navigationHistory, root);
}

void Navigation::step(std::vector<NodeRef>& source, StateField sourceField, std::vector<NodeRef>& other,
                      StateField otherField, const FileNode* root) {
    while (!source.empty()) {
        NodeRef entry = std::move(source.back());
        source.pop_back();
        changes_.touch(sourceField);
        if (entry == focus_ || !lies(entry.get(), root)) continue;
        if (focus_) {
            other.push_back(focus_);
            changes_.touch(otherField);
        }
        setFocus(std::move(entry));
        return;
    }
}

std::vector<NodeRef> Navigation::pruned(const std::vector<NodeRef>& stack, const FileNode* root) const {
    std::vector<NodeRef> kept;
    kept.reserve(stack.size());
    for (const NodeRef& entry : stack) {
        if (!lies(entry.get(), root)) continue;
        if (!kept.empty() && kept.back() == entry) continue;
        kept.push_back(entry);
    }
    while (!kept.empty() && kept.back() == focus_) kept.pop_back();
    return kept;
}

void Navigation::pruneHistory(const FileNode* root) {
    changes_.assign(back_, pruned(back_, root), StateField::navigationHistory);
    changes_.assign(forward_, pruned(forward_, root), StateField::forwardHistory);
}

void Navigation::remap(const NodeMapping& mapping, const FileNode* root) {
    if (focus_) setFocus(mapping.nearest(focus_));
    // The stacks hold folders: an entry that became a file goes.
    const auto mapStack = [&mapping](const std::vector<NodeRef>& stack) {
        std::vector<NodeRef> mapped;
        mapped.reserve(stack.size());
        for (const NodeRef& entry : stack)
            if (NodeRef m = mapping.counterpart(entry); m && (m == entry || m->isContainer()))
                mapped.push_back(std::move(m));
        return mapped;
    };
    changes_.assign(back_, mapStack(back_), StateField::navigationHistory);
    changes_.assign(forward_, mapStack(forward_), StateField::forwardHistory);
    pruneHistory(root);
    if (selection_) setSelection(mapping.counterpart(selection_));
    if (hovered_ && mapping.counterpart(hovered_) != hovered_) setHovered(NodeRef());
}

} // namespace plenwick
