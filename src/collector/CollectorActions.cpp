#include "collector/CollectorActions.h"

#include "app/AppState.h"

#include <QMetaObject>

namespace plenwick {

void revealCollectedNode(AppState& state, const NodeRef& node) {
    if (!state.root() || !node || !state.isInsideTree(node.get())) return;
    state.setSelection(node);
    const NodeRef& focus = state.focus();
    if (!focus || isWithin(node.get(), focus.get())) return;
    state.navigate(node->parent() ? retainNode(node->parent()) : node);
}

void collectorHoverEntered(AppState& state, const NodeRef& node) { state.setHovered(node); }

void collectorHoverLeft(AppState& state, const FileNode* node) {
    if (node && state.hovered().get() == node) state.setHovered(NodeRef());
}

void collectorHoverLeftLater(QObject* context, AppState& state, NodeRef node) {
    if (!node) return;
    QMetaObject::invokeMethod(
        context, [&state, node = std::move(node)] { collectorHoverLeft(state, node.get()); }, Qt::QueuedConnection);
}

} // namespace plenwick
