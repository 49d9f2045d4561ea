#pragma once
// The retained results of a scan: the tree's root, its version (counted at every
// edit, so that views holding positions in the tree know to rebuild), the folders
// being rescanned, the volume the scan was made on and the names of the tree's files
// with several of them. Answers where a path or a node lies in the tree.
//
// Their generation tells current work from stale: new results (or none) make every
// rescan and statistics update begun on the earlier ones stale.
//
// Every edit of the tree goes through `editTree`, and every part holding nodes of the
// tree is repaired after it through `remapNodes`, so that nothing keeps a subtree
// that left the tree.

#include "app/Collector.h"
#include "app/RescanTarget.h"
#include "app/StateChanges.h"
#include "app/TreeHardLinks.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class NodeMapping;

class ScanResults {
public:
    // Told around each edit of the tree: the first before the write lock is taken,
    // the second after it was released.
    struct EditSignals {
        std::function<void()> willBegin;
        std::function<void()> didEnd;
    };
    // How a part that holds nodes of the tree follows an edit (NodeMapping.h).
    using NodeHolder = std::function<void(const NodeMapping&)>;

    explicit ScanResults(StateChanges& changes, EditSignals edits = {}) : changes_(changes), edits_(std::move(edits)) {}
    ScanResults(const ScanResults&) = delete;
    ScanResults& operator=(const ScanResults&) = delete;

    const NodeRef& root() const noexcept { return root_; }
    std::int64_t generation() const noexcept { return generation_; }
    std::int64_t treeVersion() const noexcept { return treeVersion_; }
    const NodeSet& refreshingFolders() const noexcept { return refreshingFolders_; }
    // The volume the retained scan was made on, when the scan found it.
    const std::optional<FolderVolume>& rootVolume() const noexcept { return rootVolume_; }
    // Unobserved: the names of the tree's files with several.
    TreeHardLinks& hardLinks() noexcept { return hardLinks_; }
    const TreeHardLinks& hardLinks() const noexcept { return hardLinks_; }

    // New results (or none) replace the earlier ones; returns their generation.
    std::int64_t beginResults() noexcept { return ++generation_; }
    void setRoot(NodeRef root) { changes_.assign(root_, std::move(root), StateField::root); }
    void setRootVolume(std::optional<FolderVolume> volume) { rootVolume_ = std::move(volume); }
    void setHardLinks(TreeHardLinks hardLinks) { hardLinks_ = std::move(hardLinks); }
    void bumpTreeVersion() noexcept;

    // A rescan of `folder` begins; false when one is under way already.
    bool beginRefreshing(const NodeRef& folder);
    void endRefreshing(const NodeRef& folder);
    void clearRefreshing() { changes_.assign(refreshingFolders_, NodeSet(), StateField::refreshingFolders); }

    // Changes the tree in place (a rescanned folder swapped in, moved items pruned):
    // runs `edit` under the tree's write lock between the two signals and counts a
    // new tree version. Views holding positions in the tree let go of them before
    // the edit and rebuild after it.
    void editTree(const std::function<void()>& edit);
    // A part holding nodes of the tree, repaired by every `remapNodes`.
    void addNodeHolder(NodeHolder holder) { holders_.push_back(std::move(holder)); }
    // After an edit of the tree: every holder, and the hard-link record, moves its
    // nodes to their counterparts or drops them.
    void remapNodes(const NodeMapping& mapping);

    // The node of the tree at `path`, or none.
    NodeRef nodeForURL(const std::string& path) const;
    // Whether following parents from `node` reaches the root.
    bool isInsideTree(const FileNode* node) const noexcept;
    // The nodes of `nodes` below the root (the root itself and strays left out).
    std::vector<NodeRef> nodesBelowRoot(const std::vector<NodeRef>& nodes) const;

private:
    StateChanges& changes_;
    EditSignals edits_;
    std::vector<NodeHolder> holders_;
    NodeRef root_;
    std::int64_t generation_ = 0;
    std::int64_t treeVersion_ = 0;
    NodeSet refreshingFolders_;
    std::optional<FolderVolume> rootVolume_;
    TreeHardLinks hardLinks_;
};

} // namespace plenwick
