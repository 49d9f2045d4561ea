#include "collector/CollectorActions.h"

#include "app/AppState.h"
#include "runtime/AfterNotifying.h"

#include <QMetaObject>

namespace plenwick {

void revealCollectedNode(AppState& state, const NodeRef& node) {
    if (!state.root() || !node || !state.isInsideTree(node.get())) return;
    state.setSelection(node);
    const NodeRef& focus = state.focus();
    if (!focus || isWithin(node.get(), focus.get())) return;
    state.navigate(node->parent() ? retainNode(node->parent()) : node);
}

namespace {

void leave(AppState& state, const FileNode* node) {
    if (node && state.hovered().get() == node) state.setHovered(NodeRef());
}

} // namespace

// The state is the context: a chip or row may go before its report is delivered.
void collectorHoverEntered(AppState& state, NodeRef node) {
    callAfterNotifying(&state, [&state, node = std::move(node)] { state.setHovered(node); });
}

void collectorHoverLeft(AppState& state, NodeRef node) {
    if (!node) return;
    callAfterNotifying(&state, [&state, node = std::move(node)] { leave(state, node.get()); });
}

void collectorHoverLeftLater(QObject* context, AppState& state, NodeRef node) {
    if (!node) return;
    QMetaObject::invokeMethod(
        context, [&state, node = std::move(node)] { leave(state, node.get()); }, Qt::QueuedConnection);
}

} // namespace plenwick
