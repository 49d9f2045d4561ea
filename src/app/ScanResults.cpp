#include "app/ScanResults.h"

#include "app/NodeMapping.h"
#include "app/PathRelations.h"
#include "base/PathNames.h"
#include "runtime/GuiThread.h"
#include "scanner/FileTreeLock.h"

#include <algorithm>

namespace plenwick {

void ScanResults::bumpTreeVersion() noexcept {
    ++treeVersion_;
    changes_.touch(StateField::treeVersion);
}

void ScanResults::editTree(const std::function<void()>& edit) {
    assertGuiThread();
    StateChanges::Operation op(changes_);
    if (edits_.willBegin) edits_.willBegin();
    {
        FileTreeLock::WriteGuard lock;
        edit();
    }
    if (edits_.didEnd) edits_.didEnd();
    bumpTreeVersion();
}

void ScanResults::remapNodes(const NodeMapping& mapping) {
    assertGuiThread();
    StateChanges::Operation op(changes_);
    for (const NodeHolder& holder : holders_) holder(mapping);
    hardLinks_.remap(mapping);
}

bool ScanResults::beginRefreshing(const NodeRef& folder) {
    if (!refreshingFolders_.insert(folder).second) return false;
    changes_.touch(StateField::refreshingFolders);
    return true;
}

void ScanResults::endRefreshing(const NodeRef& folder) {
    if (refreshingFolders_.erase(folder)) changes_.touch(StateField::refreshingFolders);
}

NodeRef ScanResults::nodeForURL(const std::string& path) const {
    if (!root_) return {};
    const std::string rootPath = normalizedPathOrSelf(root_->url());
    const std::string wanted = normalizedPathOrSelf(path);
    const auto rootParts = pathComponents(rootPath);
    const auto parts = pathComponents(wanted);
    if (parts.size() < rootParts.size() || !std::equal(rootParts.begin(), rootParts.end(), parts.begin())) return {};
    const FileNode* node = root_.get();
    for (std::size_t i = rootParts.size(); i < parts.size(); ++i) {
        const FileNode* next = nullptr;
        for (const NodeRef& child : node->children()) {
            if (child->name() == parts[i]) {
                next = child.get();
                break;
            }
        }
        if (!next) return {};
        node = next;
    }
    return retainNode(const_cast<FileNode*>(node));
}

bool ScanResults::isInsideTree(const FileNode* node) const noexcept { return root_ && isWithin(node, root_.get()); }

std::vector<NodeRef> ScanResults::nodesBelowRoot(const std::vector<NodeRef>& nodes) const {
    std::vector<NodeRef> below;
    for (const NodeRef& node : nodes)
        if (node && node->parent() && isInsideTree(node.get())) below.push_back(node);
    return below;
}

} // namespace plenwick
