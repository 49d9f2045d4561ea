#include "FileTypeStatsBuilder.h"

#include "Color.h"

#include <algorithm>

namespace plenwick {
namespace {

// Totals per extension, remembering the last extension used: files of one folder
// tend to share theirs.
class Totals {
public:
    void add(const FileNode& node) {
        const std::string_view ext = fileExtensionView(node.name(), buffer_);
        const std::int64_t count = std::max<std::int64_t>(node.fileCount(), 1);
        if (!last_ || ext != lastKey_) {
            auto it = entries_.find(ext);
            if (it == entries_.end())
                it = entries_.emplace(std::string(ext), FileTypeStatsBuilder::Entry{0, 0, categoryFor(node.kind(), ext)})
                         .first;
            last_ = &it->second;
            lastKey_ = it->first; // keys of an unordered_map stay put
        }
        last_->size += node.size();
        last_->count += count;
    }
    FileTypeStatsBuilder::Entries take() { return std::move(entries_); }

private:
    FileTypeStatsBuilder::Entries entries_;
    ExtensionBuffer buffer_;
    FileTypeStatsBuilder::Entry* last_ = nullptr;
    std::string_view lastKey_;
};

} // namespace

std::optional<FileTypeStatsBuilder::Entries> FileTypeStatsBuilder::collect(const NodeRef& root, std::stop_token stop,
                                                                           std::vector<NodeRef>& heldNodes,
                                                                           FileTreeLock& lock) {
    Totals totals;
    if (!root) return totals.take();

    // Nodes still to visit. Those below `owned` are held by a reference of ours, taken
    // when they outlived a batch; the rest were pushed during the current batch, under
    // the lock, and are kept alive by their parent.
    std::vector<FileNode*> stack;
    stack.push_back(retainNode(root.get()).release());
    std::size_t owned = 1;

    while (!stack.empty()) {
        if (stop.stop_requested()) {
            for (FileNode* node : stack) heldNodes.emplace_back(node);
            return std::nullopt;
        }
        FileTreeLock::ReadGuard guard(lock);
        for (std::size_t handled = 0; handled < batchSize && !stack.empty(); ++handled) {
            FileNode* node = stack.back();
            stack.pop_back();
            if (stack.size() < owned) {
                owned = stack.size();
                heldNodes.emplace_back(node); // adopts our reference
            }
            switch (node->kind()) {
            case FileNode::Kind::file:
            case FileNode::Kind::symlink:
                totals.add(*node);
                break;
            case FileNode::Kind::package:
                if (node->childCount() == 0) {
                    totals.add(*node);
                    break;
                }
                [[fallthrough]];
            case FileNode::Kind::directory:
                for (const NodeRef& child : node->children()) stack.push_back(child.get());
                break;
            case FileNode::Kind::inaccessible:
                break;
            }
        }
        // The tree may change once the lock is released: keep what is left alive.
        for (std::size_t i = owned; i < stack.size(); ++i) stack[i]->retain();
        owned = stack.size();
    }
    return totals.take();
}

std::optional<FileTypeStatsBuilder::Entries> FileTypeStatsBuilder::collect(const NodeRef& root, std::stop_token stop,
                                                                           FileTreeLock& lock) {
    std::vector<NodeRef> held;
    return collect(root, std::move(stop), held, lock);
}

std::vector<FileTypeStat> FileTypeStatsBuilder::makeStats(const Entries& entries) {
    std::vector<const Entries::value_type*> sorted;
    sorted.reserve(entries.size());
    for (const auto& pair : entries) sorted.push_back(&pair);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) {
        if (a->second.size != b->second.size) return a->second.size > b->second.size;
        return a->first < b->first;
    });
    std::vector<FileTypeStat> stats;
    stats.reserve(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const auto& [ext, entry] = *sorted[i];
        stats.push_back({ext, entry.category, entry.size, entry.count, extensionColorForIndex(i)});
    }
    return stats;
}

} // namespace plenwick
