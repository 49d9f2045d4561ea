#pragma once
// The context menu of one node of the scanned tree, in one place for every view that
// shows one: the charts, the collector bar, the inspector's icon and the outline's
// rows. Its entries and their enabling are decided here from the state and the node
// each time the menu is built (and again while it is open); each entry acts at once
// through the state or the shared file actions.

#include "scanner/FileNode.h"

#include <QPoint>
#include <QString>

#include <vector>

class QMenu;
class QWidget;

namespace plenwick {

class AppState;

enum class NodeMenuAction {
    reveal,
    open,
    quickLook,
    copyPath,
    zoomIn,
    rescanFolder,
    removeFromCollector,
    addToCollector,
    moveToTrash,
    uninstall,
};

// Where the menu is shown. The outline's rows offer no "Uninstall…"; the results'
// views (charts, collector bar, inspector) offer it for an app.
enum class NodeMenuSite { results, outline };

struct NodeMenuEntry {
    NodeMenuAction action;
    QString title;
    bool enabled = true;
    bool separatorBefore = false;
    bool destructive = false;
    QString toolTip = {}; // why the entry is disabled, where that is not plain
    friend bool operator==(const NodeMenuEntry&, const NodeMenuEntry&) = default;
};

// The entries for `node` shown at `site`, top to bottom. The Trash's own folders and
// what lies in them can be neither collected nor trashed: those entries are disabled
// with the reason. That is judged on the disk (`trashRefusal`), once for a menu.
std::vector<NodeMenuEntry> nodeMenuEntries(const AppState& state, const FileNode& node, NodeMenuSite site);

// Runs an entry's action for `node`; nothing for a node no longer in the state's tree.
void performNodeMenuAction(AppState& state, const NodeRef& node, NodeMenuAction action);

// The menu of `node` at `site`, owned by `parent` and deleted when it closes; nothing
// for no node. It follows the state while open.
QMenu* makeNodeContextMenu(AppState& state, const NodeRef& node, NodeMenuSite site, QWidget* parent);
// The entries of `node` appended to `menu`, following the state while it is open.
void addNodeMenuEntries(QMenu& menu, AppState& state, const NodeRef& node, NodeMenuSite site);
// A chart cell's menu: the entries of `node`, then a submenu "Folder “…”" with those
// of its enclosing `folder` (a separator between them only with both); either may be
// null; nothing when both are.
QMenu* makeNodeAndFolderContextMenu(AppState& state, const NodeRef& node, const NodeRef& folder, QWidget* parent);
// Makes the results' menu of `node` and pops it up at `globalPos` without waiting;
// returns it (or nothing).
QMenu* showNodeContextMenu(AppState& state, const NodeRef& node, QPoint globalPos, QWidget* parent);

} // namespace plenwick
