#include "app/NodeActions.h"

#include "app/AppState.h"
#include "platform/TrashFolders.h"

#include <algorithm>

namespace plenwick {

std::string nodeURLPath(const FileNode& node) {
    std::string path = node.url();
    if (node.isContainer() && (path.empty() || path.back() != '/')) path.push_back('/');
    return path;
}

std::string nodeDisplayPath(const FileNode& node) {
    std::string path = nodeURLPath(node);
    if (path.size() >= 2 && path.back() == '/') path.pop_back();
    return path;
}

bool isRefreshing(const AppState& state, const FileNode& node) {
    const NodeSet& folders = state.refreshingFolders();
    return std::any_of(folders.begin(), folders.end(), [&node](const NodeRef& f) { return f.get() == &node; });
}

std::optional<std::string> trashRefusal(const FileNode& node) {
    if (!isPartOfUsersTrash(node.url())) return std::nullopt;
    return partOfTrashError().message();
}

void requestMoveToTrash(AppState& state, const NodeRef& node) {
    if (!node || !node->parent() || !state.root()) return;
    if (!state.isInsideTree(node.get())) return;
    state.setPendingTrash(node);
}

} // namespace plenwick
