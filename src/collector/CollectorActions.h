#pragma once
// What the collector's chips and rows do with their node: reveal it (select it and,
// when it lies outside the focus, show its folder), and share the pointer over them
// with the rest of the window through the state's hovered node.

#include "scanner/FileNode.h"

class QObject;

namespace plenwick {

class AppState;

// Selects the node and, unless it lies in the focus, navigates to its folder.
// Nothing for a node that has left the tree.
void revealCollectedNode(AppState& state, const NodeRef& node);

// The pointer entered a chip or row of `node`. Like the leave below, told once the state
// no longer notifies: its own change may show, hide or move chips under a resting pointer.
void collectorHoverEntered(AppState& state, NodeRef node);
// The pointer left it, or it went away: the hovered node is cleared only while it is
// still this one, so a node another view set meanwhile stays.
void collectorHoverLeft(AppState& state, NodeRef node);
// The chip or row of `node` went with a change of the state, inside its notification:
// the state hears of the leave once the notification is over (while `context` lives).
void collectorHoverLeftLater(QObject* context, AppState& state, NodeRef node);

} // namespace plenwick
