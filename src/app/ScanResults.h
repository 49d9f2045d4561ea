#pragma once
// The retained results of a scan: the tree's root, its version (counted at every
// edit, so that views holding positions in the tree know to rebuild), the folders
// being rescanned, the volume the scan was made on and the names of the tree's files
// with several of them. Answers where a path or a node lies in the tree.

#include "app/Collector.h"
#include "app/RescanTarget.h"
#include "app/StateChanges.h"
#include "app/TreeHardLinks.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class ScanResults {
public:
    explicit ScanResults(StateChanges& changes) noexcept : changes_(changes) {}
    ScanResults(const ScanResults&) = delete;
    ScanResults& operator=(const ScanResults&) = delete;

    const NodeRef& root() const noexcept { return root_; }
    std::int64_t treeVersion() const noexcept { return treeVersion_; }
    const NodeSet& refreshingFolders() const noexcept { return refreshingFolders_; }
    // The volume the retained scan was made on, when the scan found it.
    const std::optional<FolderVolume>& rootVolume() const noexcept { return rootVolume_; }
    // Unobserved: the names of the tree's files with several.
    TreeHardLinks& hardLinks() noexcept { return hardLinks_; }
    const TreeHardLinks& hardLinks() const noexcept { return hardLinks_; }

    void setRoot(NodeRef root) { changes_.assign(root_, std::move(root), StateField::root); }
    void setRootVolume(std::optional<FolderVolume> volume) { rootVolume_ = std::move(volume); }
    void setHardLinks(TreeHardLinks hardLinks) { hardLinks_ = std::move(hardLinks); }
    void bumpTreeVersion() noexcept;

    // A rescan of `folder` begins; false when one is under way already.
    bool beginRefreshing(const NodeRef& folder);
    void endRefreshing(const NodeRef& folder);
    void clearRefreshing() { changes_.assign(refreshingFolders_, NodeSet(), StateField::refreshingFolders); }

    // The node of the tree at `path`, or none.
    NodeRef nodeForURL(const std::string& path) const;
    // Whether following parents from `node` reaches the root.
    bool isInsideTree(const FileNode* node) const noexcept;
    // The nodes of `nodes` below the root (the root itself and strays left out).
    std::vector<NodeRef> nodesBelowRoot(const std::vector<NodeRef>& nodes) const;

private:
    StateChanges& changes_;
    NodeRef root_;
    std::int64_t treeVersion_ = 0;
    NodeSet refreshingFolders_;
    std::optional<FolderVolume> rootVolume_;
    TreeHardLinks hardLinks_;
};

} // namespace plenwick
