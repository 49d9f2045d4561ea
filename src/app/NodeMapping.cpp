#include "app/NodeMapping.h"

#include "app/PathRelations.h"
#include "app/TreeEdits.h"
#include "base/PathNames.h"

#include <algorithm>

namespace plenwick {

PrunedNodes::PrunedNodes(NodeRef root, std::vector<Removal> removals)
    : root_(std::move(root)), removals_(std::move(removals)) {}

bool PrunedNodes::inTree(const FileNode* node) const noexcept { return root_ && isWithin(node, root_.get()); }

NodeRef PrunedNodes::counterpart(const NodeRef& node) const { return inTree(node.get()) ? node : NodeRef(); }

NodeRef PrunedNodes::nearest(const NodeRef& node) const {
    if (!node || inTree(node.get())) return node;
    for (const Removal& removal : removals_) {
        if (!isWithin(node.get(), removal.node.get())) continue;
        // The former parent may have been detached by a later removal of the list.
        for (FileNode* n = removal.formerParent; n; n = n->parent())
            if (inTree(n)) return retainNode(n);
        break;
    }
    return root_;
}

bool PrunedNodes::removesPath(const std::string& path) const {
    const std::string normalized = normalizedPathOrSelf(path);
    const std::vector<std::string_view> shown = pathComponents(normalized);
    return std::any_of(removals_.begin(), removals_.end(), [&shown](const Removal& removal) {
        const auto& removed = removal.pathComponents;
        return !removed.empty() && shown.size() >= removed.size() &&
               std::equal(removed.begin(), removed.end(), shown.begin());
    });
}

NodeRef ReplacedFolder::counterpart(const NodeRef& node) const {
    MappedNode mapped = mapIntoReplacement(node, old_, replacement_);
    return mapped.found ? std::move(mapped.node) : NodeRef();
}

NodeRef ReplacedFolder::nearest(const NodeRef& node) const {
    // A node that became a file where the focus wants a folder climbs to its folder.
    NodeRef reached = mapIntoReplacement(node, old_, replacement_).node;
    while (reached && !reached->isContainer() && reached->parent()) reached = retainNode(reached->parent());
    return reached;
}

} // namespace plenwick
