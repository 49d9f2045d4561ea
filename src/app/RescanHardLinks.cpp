#include "app/RescanHardLinks.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace plenwick {

namespace {

struct InodeKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const InodeKey&) const = default;
};
struct InodeKeyHash {
    std::size_t operator()(const InodeKey& k) const noexcept {
        return std::hash<std::uint64_t>{}(k.inode * 0x9E3779B97F4A7C15ull ^ k.device);
    }
};

struct Link {
    FileNode* node;                      // in the fresh subtree
    std::vector<std::string_view> names; // below the folder, outermost first
};
struct Inode {
    std::uint32_t linkCount = 0;
    std::vector<Link> links;
};

// The node `names` lead to below `folder`, or none.
const FileNode* follow(const FileNode* folder, const std::vector<std::string_view>& names) {
    const FileNode* reached = folder;
    for (std::string_view name : names) {
        const FileNode* next = nullptr;
        for (const NodeRef& child : reached->children())
            if (child->name() == name) {
                next = child.get();
                break;
            }
        if (!next) return nullptr;
        reached = next;
    }
    return reached;
}

// The names from `folder` down to `node`; false when `node` is not below `folder`.
bool namesBelow(const FileNode* folder, FileNode* node, std::vector<std::string_view>& names) {
    names.clear();
    for (const FileNode* n = node; n != folder; n = n->parent()) {
        if (!n) return false;
        names.push_back(n->name());
    }
    std::reverse(names.begin(), names.end());
    return true;
}

// The recorded files of `fresh`, grouped by inode.
std::unordered_map<InodeKey, Inode, InodeKeyHash> linkedFiles(const NodeRef& fresh,
                                                              const std::vector<ScannedHardLink>& links,
                                                              std::stop_token stop) {
    std::unordered_map<InodeKey, Inode, InodeKeyHash> inodes;
    std::size_t visited = 0;
    for (const ScannedHardLink& link : links) {
        if (++visited % 4096 == 0 && stop.stop_requested()) return {};
        if (!link.node || link.node->kind() != FileNode::Kind::file || link.linkCount < 2) continue;
        std::vector<std::string_view> names;
        if (!namesBelow(fresh.get(), link.node.get(), names)) continue;
        Inode& inode = inodes[{link.device, link.inode}];
        inode.linkCount = link.linkCount;
        inode.links.push_back({link.node.get(), std::move(names)});
    }
    return inodes;
}

} // namespace

std::size_t reconcileRescannedHardLinks(const NodeRef& fresh, const std::vector<ScannedHardLink>& links,
                                        const NodeRef& old, std::stop_token stop, FileTreeLock& lock) {
    if (!fresh || !old || !fresh->isContainer()) return 0;
    const auto inodes = linkedFiles(fresh, links, stop);

    std::vector<FileNode*> uncount;
    {
        FileTreeLock::ReadGuard guard(lock);
        for (const auto& [key, inode] : inodes) {
            if (inode.linkCount <= inode.links.size()) continue; // every link is in the folder
            bool knewIt = false, countedHere = false;
            for (const Link& link : inode.links) {
                const FileNode* before = follow(old.get(), link.names);
                if (!before) continue;
                knewIt = true;
                if (before->size() != 0 || before->logicalSize() != 0) countedHere = true;
            }
            if (!knewIt || countedHere) continue;
            for (const Link& link : inode.links)
                if (link.node->size() != 0 || link.node->logicalSize() != 0) uncount.push_back(link.node);
        }
    }

    std::unordered_set<FileNode*> reorder;
    for (FileNode* node : uncount) {
        for (FileNode* n = node->parent(); n; n = n->parent()) {
            n->setSize(n->size() - node->size());
            n->setLogicalSize(n->logicalSize() - node->logicalSize());
            reorder.insert(n);
            if (n == fresh.get()) break;
        }
        node->setSize(0);
        node->setLogicalSize(0);
    }
    for (FileNode* folder : reorder) folder->sortChildren();
    return uncount.size();
}

} // namespace plenwick
