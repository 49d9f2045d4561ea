#include "nodemenu/NodeContextMenu.h"

#include "app/AppState.h"
#include "app/FailureReport.h"
#include "app/NodeActions.h"
#include "app/PathRelations.h"
#include "shell/FileActions.h"

#include <QAction>
#include <QMenu>

namespace plenwick {

namespace {

// Brings `menu`'s actions in line with the entries, which keep their positions: only
// the collector entry changes its title, and any entry its enabling.
void applyEntries(QMenu& menu, const std::vector<NodeMenuEntry>& entries) {
    std::size_t index = 0;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) continue;
        if (index >= entries.size()) return;
        const NodeMenuEntry& entry = entries[index++];
        action->setText(entry.title);
        action->setEnabled(entry.enabled);
        action->setToolTip(entry.toolTip);
        action->setData(static_cast<int>(entry.action));
    }
}

// The entries with the refusal (`trashRefusal`) already known.
std::vector<NodeMenuEntry> entriesFor(const AppState& state, const FileNode& node, NodeMenuSite site,
                                      const std::optional<std::string>& refusal) {
    const bool isRoot = node.parent() == nullptr;
    const QString refused = refusal ? QString::fromStdString(*refusal) : QString();
    std::vector<NodeMenuEntry> entries{
        {NodeMenuAction::reveal, QStringLiteral("Reveal in File Manager")},
        {NodeMenuAction::open, QStringLiteral("Open")},
        {NodeMenuAction::quickLook, QStringLiteral("Preview")},
        {NodeMenuAction::copyPath, QStringLiteral("Copy Path")},
    };
    if (node.isContainer()) {
        entries.push_back({NodeMenuAction::zoomIn, QStringLiteral("Zoom In"), true, true});
        entries.push_back({NodeMenuAction::rescanFolder, QStringLiteral("Rescan This Folder"), !isRefreshing(state, node)});
    }
    if (state.isCollectedOrInside(&node))
        entries.push_back({NodeMenuAction::removeFromCollector, QStringLiteral("Remove from Collector"),
                           state.isCollected(&node), true});
    else
        entries.push_back(
            {NodeMenuAction::addToCollector, QStringLiteral("Add to Collector"), !isRoot && !refusal, true, false, refused});
    entries.push_back(
        {NodeMenuAction::moveToTrash, QStringLiteral("Move to Trash…"), !isRoot && !refusal, false, true, refused});
    if (site == NodeMenuSite::results && isAppBundleNode(node))
        entries.push_back({NodeMenuAction::uninstall, QStringLiteral("Uninstall…")});
    return entries;
}

} // namespace

std::vector<NodeMenuEntry> nodeMenuEntries(const AppState& state, const FileNode& node, NodeMenuSite site) {
    return entriesFor(state, node, site, trashRefusal(node));
}

void performNodeMenuAction(AppState& state, const NodeRef& node, NodeMenuAction action) {
    // A node a rescan or a move took out of the tree while its menu was open has lost
    // its path: nothing is done with it.
    if (!node || !state.isInsideTree(node.get())) return;
    switch (action) {
    case NodeMenuAction::reveal: revealItem(node->url(), reportTo(state)); break;
    case NodeMenuAction::open: openItem(node->url(), reportTo(state)); break;
    case NodeMenuAction::quickLook: state.setQuickLookURL(node->url()); break;
    case NodeMenuAction::copyPath: copyPaths({nodeURLPath(*node)}); break;
    case NodeMenuAction::zoomIn: state.navigate(node); break;
    case NodeMenuAction::rescanFolder: state.rescanFolder(node); break;
    case NodeMenuAction::removeFromCollector: state.removeFromCollector(node); break;
    case NodeMenuAction::addToCollector: state.addToCollector({node}); break;
    case NodeMenuAction::moveToTrash: requestMoveToTrash(state, node); break;
    case NodeMenuAction::uninstall: state.uninstallApp(node->url()); break;
    }
}

void addNodeMenuEntries(QMenu& menu, AppState& state, const NodeRef& node, NodeMenuSite site) {
    // Judged once for the menu: whether the node is the Trash's does not change while
    // it is open, but the entries are worked out again as the state changes.
    const std::optional<std::string> refusal = trashRefusal(*node);
    menu.setToolTipsVisible(true);
    bool pendingSeparator = false;
    for (const NodeMenuEntry& entry : entriesFor(state, *node, site, refusal)) {
        pendingSeparator = pendingSeparator || entry.separatorBefore;
        if (pendingSeparator && !menu.actions().isEmpty()) menu.addSeparator();
        pendingSeparator = false;
        QAction* action = menu.addAction(entry.title);
        action->setEnabled(entry.enabled);
        action->setToolTip(entry.toolTip);
        action->setData(static_cast<int>(entry.action));
        QObject::connect(action, &QAction::triggered, &menu, [&state, node, action] {
            performNodeMenuAction(state, node, static_cast<NodeMenuAction>(action->data().toInt()));
        });
    }
    QMenu* target = &menu;
    QObject::connect(&state, &AppState::changed, target, [&state, node, site, target, refusal](quint64 fields) {
        using F = AppState::Field;
        const quint64 read = AppState::bit(F::refreshingFolders) | AppState::bit(F::collector) |
                             AppState::bit(F::collectorVersion) | AppState::bit(F::root);
        if (fields & read) applyEntries(*target, entriesFor(state, *node, site, refusal));
    });
}

QMenu* makeNodeContextMenu(AppState& state, const NodeRef& node, NodeMenuSite site, QWidget* parent) {
    if (!node) return nullptr;
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("NodeContextMenu"));
    addNodeMenuEntries(*menu, state, node, site);
    return menu;
}

QMenu* makeNodeAndFolderContextMenu(AppState& state, const NodeRef& node, const NodeRef& folder, QWidget* parent) {
    if (!node && !folder) return nullptr;
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("NodeContextMenu"));
    if (node) addNodeMenuEntries(*menu, state, node, NodeMenuSite::results);
    if (folder) {
        if (node) menu->addSeparator();
        QMenu* sub = menu->addMenu(QStringLiteral("Folder “") + QString::fromStdString(state.displayName(*folder)) +
                                   QStringLiteral("”"));
        sub->setObjectName(QStringLiteral("FolderContextMenu"));
        addNodeMenuEntries(*sub, state, folder, NodeMenuSite::results);
    }
    return menu;
}

QMenu* showNodeContextMenu(AppState& state, const NodeRef& node, QPoint globalPos, QWidget* parent) {
    QMenu* menu = makeNodeContextMenu(state, node, NodeMenuSite::results, parent);
    if (menu) menu->popup(globalPos);
    return menu;
}

} // namespace plenwick
