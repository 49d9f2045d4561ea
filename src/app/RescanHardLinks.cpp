#include "app/RescanHardLinks.h"

#include "base/PathNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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
    FileNode* node;                 // in the fresh subtree
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

// Every regular file of `fresh` with more than one link, grouped by inode.
std::unordered_map<InodeKey, Inode, InodeKeyHash> linkedFiles(const NodeRef& fresh, const std::string& folderPath,
                                                              std::stop_token stop) {
    std::unordered_map<InodeKey, Inode, InodeKeyHash> inodes;
    struct Pending {
        FileNode* node;
        std::string path;
        std::vector<std::string_view> names;
    };
    std::vector<Pending> stack{{fresh.get(), folderPath, {}}};
    std::size_t visited = 0;
    while (!stack.empty()) {
        if (++visited % 4096 == 0 && stop.stop_requested()) return {};
        Pending item = std::move(stack.back());
        stack.pop_back();
        for (const NodeRef& child : item.node->children()) {
            std::string path = appendingPathComponent(item.path, child->name());
            std::vector<std::string_view> names = item.names;
            names.push_back(child->name());
            if (child->isContainer()) {
                stack.push_back({child.get(), std::move(path), std::move(names)});
                continue;
            }
            if (child->kind() != FileNode::Kind::file) continue;
            struct statx stx;
            stx.stx_mask = 0;
            if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                        STATX_TYPE | STATX_NLINK | STATX_INO, &stx) != 0)
                continue;
            if (!S_ISREG(stx.stx_mode) || stx.stx_nlink < 2) continue;
            Inode& inode = inodes[{makedev(stx.stx_dev_major, stx.stx_dev_minor), stx.stx_ino}];
            inode.linkCount = stx.stx_nlink;
            inode.links.push_back({child.get(), std::move(names)});
        }
    }
    return inodes;
}

} // namespace

std::size_t reconcileRescannedHardLinks(const NodeRef& fresh, const std::string& folderPath, const NodeRef& old,
                                        std::stop_token stop, FileTreeLock& lock) {
    if (!fresh || !old || !fresh->isContainer()) return 0;
    const auto inodes = linkedFiles(fresh, folderPath, stop);

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
