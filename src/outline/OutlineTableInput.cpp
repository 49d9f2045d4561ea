#include "outline/OutlineTableInput.h"

#include "app/AppState.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineMenus.h"
#include "outline/OutlineTableView.h"
#include "shell/FileActions.h"

#include <QKeyEvent>

namespace plenwick {

OutlineTableInput::OutlineTableInput(AppState& state, OutlineTableView& view, OutlineItemModel& model)
    : state_(state), view_(view), model_(model) {}

bool OutlineTableInput::keyPressed(const QKeyEvent& event) {
    FileNode* node = view_.selectedNode();
    switch (outlineKeyAction(event.key(), event.modifiers(), node)) {
    case OutlineKeyAction::none: return false;
    case OutlineKeyAction::zoomIn: state_.navigate(retainNode(node)); return true;
    case OutlineKeyAction::toggleQuickLook: {
        std::string url = node->url();
        if (state_.quickLookURL() == url) {
            state_.setQuickLookURL(std::nullopt);
        } else {
            state_.setQuickLookURL(std::move(url));
        }
        return true;
    }
    }
    return false;
}

void OutlineTableInput::doubleClicked(const QModelIndex& index) {
    NodeRef node = retainNode(model_.nodeAt(index));
    if (!node) return;
    if (node->isContainer()) {
        state_.navigate(node);
        return;
    }
    if (!state_.root() || !state_.isInsideTree(node.get())) return;
    state_.setSelection(node);
    const NodeRef& focus = state_.focus();
    if (focus && !isWithin(node.get(), focus.get()))
        state_.navigate(node->parent() ? retainNode(node->parent()) : node);
}

void OutlineTableInput::dragStarted() {
    FileNode* node = view_.selectedNode();
    if (!node || !state_.isInsideTree(node)) return;
    dragItems(&view_, {node->url()});
}

} // namespace plenwick
