#pragma once
// What the context menu and the inspector do with one node, in one place: its path as
// its file URL gives it, whether the collector covers it, whether it is an app, and
// the request to move it to the Trash.

#include "scanner/FileNode.h"

#include <optional>
#include <string>

namespace plenwick {

class AppState;

// The node's path as its file URL gives it: a container's ends in "/" ("/" stays "/").
std::string nodeURLPath(const FileNode& node);
// The path as the inspector shows it: `nodeURLPath` without one final "/" when it is
// at least two characters long.
std::string nodeDisplayPath(const FileNode& node);

// Whether the folder's rescan in place is under way.
bool isRefreshing(const AppState& state, const FileNode& node);

// Why `node` can neither be moved to the Trash nor collected: it is one of the Trash's
// own folders or lies in one, judged on the disk whatever links lead there. None for
// any other node. It costs a few system calls on the node's path, so callers ask once
// per menu or per node shown, not on every repaint.
std::optional<std::string> trashRefusal(const FileNode& node);

// Asks for the confirmation of moving `node` to the Trash: sets the item awaiting it,
// but only for a node below the current root. Anything else is ignored.
void requestMoveToTrash(AppState& state, const NodeRef& node);

} // namespace plenwick
