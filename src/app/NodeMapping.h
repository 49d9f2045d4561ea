#pragma once
// How an edit of the tree moves the nodes the state holds. After the edit each holder
// asks the mapping for its nodes' counterparts and keeps, re-keys or drops them, so
// that nothing points into a subtree that left the tree (and keeps it in memory).
//
// Three edits: nodes pruned from the tree (moved to the Trash, or a folder that
// vanished), a folder swapped for its rescan, and the whole tree let go of (a new
// scan, closed results).

#include "scanner/FileNode.h"

#include <string>
#include <vector>

namespace plenwick {

class NodeMapping {
public:
    virtual ~NodeMapping() = default;
    // What stands for `node` after the edit: the node itself, a new node in its
    // place, or none when it has none.
    virtual NodeRef counterpart(const NodeRef& node) const = 0;
    // For the focus: the nearest place that still stands where `node` was, or none.
    virtual NodeRef nearest(const NodeRef& node) const = 0;
    // Whether the item at `path` (a preview's) was removed or lay inside what was.
    virtual bool removesPath(const std::string& path) const = 0;
};

// Nodes detached from the tree: what still lies within the root stays, the rest has
// no counterpart. A focus that went climbs from its removed node's former parent to
// the nearest node still in the tree, or lands on the root.
class PrunedNodes final : public NodeMapping {
public:
    struct Removal {
        NodeRef node;
        FileNode* formerParent = nullptr;
        // The components of the node's path as it was in the tree; recorded only
        // when a preview is open.
        std::vector<std::string> pathComponents;
    };

    PrunedNodes(NodeRef root, std::vector<Removal> removals);

    NodeRef counterpart(const NodeRef& node) const override;
    NodeRef nearest(const NodeRef& node) const override;
    bool removesPath(const std::string& path) const override;
    const std::vector<Removal>& removals() const noexcept { return removals_; }

private:
    bool inTree(const FileNode* node) const noexcept;

    NodeRef root_;
    std::vector<Removal> removals_;
};

// A folder swapped for its rescan: a node below the old folder maps by its names
// into the replacement and has no counterpart where a name is missing; a focus lands
// on the deepest folder of its old path that still exists. Everything outside the old
// folder stays.
class ReplacedFolder final : public NodeMapping {
public:
    ReplacedFolder(const FileNode* old, NodeRef replacement) : old_(old), replacement_(std::move(replacement)) {}

    NodeRef counterpart(const NodeRef& node) const override;
    NodeRef nearest(const NodeRef& node) const override;
    bool removesPath(const std::string&) const override { return false; }

private:
    const FileNode* old_;
    NodeRef replacement_;
};

// The whole tree let go of: nothing has a counterpart.
class ClearedTree final : public NodeMapping {
public:
    NodeRef counterpart(const NodeRef&) const override { return {}; }
    NodeRef nearest(const NodeRef&) const override { return {}; }
    bool removesPath(const std::string&) const override { return true; }
};

} // namespace plenwick
