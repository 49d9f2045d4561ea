#include "scanner/FileTypeStatsBuilder.h"

#include "scanner/Color.h"

#include <algorithm>
#include <cstring>

namespace plenwick {
namespace {

// Totals per extension. Extensions of up to 16 bytes (nearly all) are packed into
// two words and found in a small open-addressing table; longer ones go to a map.
class Totals {
public:
    Totals() : slots_(64) {}

    void add(const FileNode& node) {
        const std::string_view ext = fileExtensionView(node.name(), buffer_);
        FileTypeStatsBuilder::Entry& entry =
            ext.size() <= sizeof(Key::bytes) ? shortEntry(ext, node.kind()) : longEntry(ext, node.kind());
        entry.size += node.size();
        entry.count += node.fileCount();
    }

    FileTypeStatsBuilder::Entries take() {
        FileTypeStatsBuilder::Entries entries = std::move(long_);
        entries.reserve(entries.size() + short_.size());
        for (auto& [key, entry] : short_) entries.emplace(std::move(key), entry);
        return entries;
    }

private:
    struct Key {
        std::uint64_t bytes[2] = {0, 0};
        std::uint32_t length = 0;
        bool operator==(const Key&) const = default;
    };
    struct Slot {
        Key key;
        std::int32_t index = -1; // into short_, -1 when free
    };

    static std::size_t hash(const Key& k) noexcept {
        std::uint64_t h = (k.bytes[0] ^ k.length) * 0x9E3779B97F4A7C15ULL;
        h ^= (k.bytes[1] + (h >> 29)) * 0xC2B2AE3D27D4EB4FULL;
        return static_cast<std::size_t>(h ^ (h >> 32));
    }

    FileTypeStatsBuilder::Entry& shortEntry(std::string_view ext, FileNode::Kind kind) {
        Key key;
        if (!ext.empty()) std::memcpy(key.bytes, ext.data(), ext.size());
        key.length = static_cast<std::uint32_t>(ext.size());
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash(key) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.index >= 0) {
                if (slot.key == key) return short_[static_cast<std::size_t>(slot.index)].second;
                continue;
            }
            slot.key = key;
            slot.index = static_cast<std::int32_t>(short_.size());
            short_.emplace_back(std::string(ext), FileTypeStatsBuilder::Entry{0, 0, categoryFor(kind, ext)});
            auto& entry = short_.back().second;
            if (short_.size() * 2 > slots_.size()) grow();
            return entry;
        }
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.index < 0) continue;
            std::size_t i = hash(slot.key) & mask;
            while (slots_[i].index >= 0) i = (i + 1) & mask;
            slots_[i] = slot;
        }
    }

    FileTypeStatsBuilder::Entry& longEntry(std::string_view ext, FileNode::Kind kind) {
        auto it = long_.find(ext);
        if (it == long_.end())
            it = long_.emplace(std::string(ext), FileTypeStatsBuilder::Entry{0, 0, categoryFor(kind, ext)}).first;
        return it->second;
    }

    std::vector<Slot> slots_;
    std::vector<std::pair<std::string, FileTypeStatsBuilder::Entry>> short_;
    FileTypeStatsBuilder::Entries long_;
    ExtensionBuffer buffer_;
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
                    // Its contents were not recorded: it stands for its files. An
                    // empty one holds no file, and the tree counts none for it.
                    if (node->fileCount() > 0) totals.add(*node);
                    break;
                }
                [[fallthrough]];
            case FileNode::Kind::directory:
                for (const NodeRef& child : node->children()) {
                    // The walk is bound by memory latency: start fetching every child
                    // (its fields and the name after them) before visiting the first.
                    __builtin_prefetch(child.get());
                    __builtin_prefetch(reinterpret_cast<const char*>(child.get()) + sizeof(FileNode));
                    stack.push_back(child.get());
                }
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
    std::vector<FileTypeStat> stats;
    stats.reserve(entries.size());
    for (const auto& [ext, entry] : entries) stats.push_back({ext, entry.category, entry.size, entry.count, {}});
    sortTypeStats(stats);
    for (std::size_t i = 0; i < stats.size(); ++i) stats[i].rgb = extensionColorForIndex(i);
    return stats;
}

} // namespace plenwick
