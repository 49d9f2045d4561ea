#include "scanner/ScannerDirectory.h"

#include "base/Utf8.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace plenwick {
namespace {
std::atomic<std::int64_t> liveDirectories{0};
// Fewer files are sorted with the sub-folders at the end, at once.
constexpr std::uint32_t earlySortedFiles = 256;

void add(std::atomic<std::int64_t>& total, std::int64_t value) {
    if (value) total.fetch_add(value, std::memory_order_relaxed);
}
} // namespace

ScannerDirectory::ScannerDirectory(std::uint32_t nameLength, FileNode::Kind k, double m, ScannerDirectory* p,
                                   bool records, std::int32_t expected) noexcept
    : parent(p), kind(k), recordsChildren(records), expectedEntries(expected), modified(m), nameLength_(nameLength) {}

ScannerDirectory* ScannerDirectory::create(std::string_view name, FileNode::Kind kind, double modified,
                                           ScannerDirectory* parent, bool recordsChildren,
                                           std::int32_t expectedEntries) {
    const auto length = static_cast<std::uint32_t>(name.size());
    void* memory = ::operator new(sizeof(ScannerDirectory) + length + 1);
    auto* d = new (memory) ScannerDirectory(length, kind, modified, parent, recordsChildren, expectedEntries);
    char* bytes = reinterpret_cast<char*>(d + 1);
    if (length) std::memcpy(bytes, name.data(), length);
    bytes[length] = '\0';
    liveDirectories.fetch_add(1, std::memory_order_relaxed);
    return d;
}

void ScannerDirectory::destroy(ScannerDirectory* d) noexcept {
    if (!d) return;
    // Only an abandoned (cancelled) scan leaves an anchor open, or sub-folders' nodes
    // in the room that the node does not count yet.
    if (d->anchorUsers.load(std::memory_order_relaxed) > 0) ::close(d->anchorFd);
    if (d->node && d->node->holdsChildren() && d->node->childRoom())
        d->node->setChildCount(d->node->container()->capacity); // empty places are skipped
    d->~ScannerDirectory();
    ::operator delete(d);
    liveDirectories.fetch_sub(1, std::memory_order_relaxed);
}

void ScannerDirectory::finished(ScannerDirectory* d) noexcept {
    d->parent->subdirectories[d->indexInParent_] = nullptr;
    destroy(d);
}

void ScannerDirectory::destroyTree(ScannerDirectory* root) noexcept {
    if (!root) return;
    std::vector<ScannerDirectory*> stack{root};
    while (!stack.empty()) {
        ScannerDirectory* d = stack.back();
        stack.pop_back();
        for (ScannerDirectory* s : d->subdirectories)
            if (s) stack.push_back(s);
        d->subdirectories.clear();
        destroy(d);
    }
}

std::int64_t ScannerDirectory::liveCount() noexcept { return liveDirectories.load(std::memory_order_relaxed); }

void ScannerDirectory::appendPath(std::string& out) const {
    // Collect the chain up to the root (whose name is the full root path), then join.
    const ScannerDirectory* chain[64];
    std::vector<const ScannerDirectory*> longChain;
    std::size_t count = 0;
    std::size_t length = out.size();
    for (const ScannerDirectory* d = this; d; d = d->parent) {
        if (count < 64) chain[count] = d;
        else {
            if (longChain.empty()) longChain.assign(chain, chain + 64);
            longChain.push_back(d);
        }
        ++count;
        length += d->nameLength_ + 1;
    }
    const ScannerDirectory* const* items = longChain.empty() ? chain : longChain.data();
    out.reserve(length);
    for (std::size_t i = count; i-- > 0;) {
        const ScannerDirectory* d = items[i];
        if (i + 1 != count && (out.empty() || out.back() != '/')) out.push_back('/');
        out.append(d->name());
    }
}

void ScannerDirectory::storeListing(std::int64_t ownSize, std::int64_t ownLogicalSize, std::int64_t ownFileCount,
                                    std::vector<NodeRef>& files, const std::vector<ScannerDirectory*>& subfolders) {
    size.store(ownSize, std::memory_order_relaxed);
    logicalSize.store(ownLogicalSize, std::memory_order_relaxed);
    fileCount.store(ownFileCount, std::memory_order_relaxed);
    if (recordsChildren) {
        node = FileNode::makeWithRoom(name(), kind, modified,
                                      static_cast<std::uint32_t>(files.size() + subfolders.size()));
        NodeRef* room = node->childRoom();
        for (std::size_t i = 0; i < files.size(); ++i) {
            files[i]->setParent(node.get());
            room[i] = std::move(files[i]);
        }
        filesInRoom_ = static_cast<std::uint32_t>(files.size());
    }
    files.clear();
    subdirectories.assign(subfolders.begin(), subfolders.end());
    for (std::size_t i = 0; i < subdirectories.size(); ++i)
        subdirectories[i]->indexInParent_ = static_cast<std::uint32_t>(i);
}

void ScannerDirectory::sortFiles() {
    if (filesSorted_ || filesInRoom_ < earlySortedFiles || !node || !node->childRoom()) return;
    sortChildNodes(node->childRoom(), filesInRoom_);
    filesSorted_ = true;
}

void ScannerDirectory::finalize() {
    std::vector<ScannerDirectory*>().swap(subdirectories); // each has freed itself
    const bool keepNode = !isExcluded && (!parent || parent->recordsChildren);
    if (keepNode) {
        if (!node) node = FileNode::make(name(), isInaccessible ? FileNode::Kind::inaccessible : kind, 0, 0, 0, modified);
        if (node->holdsChildren() && node->childRoom()) {
            // Close the places of sub-folders that left no node.
            NodeRef* room = node->childRoom();
            const std::uint32_t capacity = node->container()->capacity;
            std::uint32_t count = filesInRoom_;
            for (std::uint32_t i = filesInRoom_; i < capacity; ++i)
                if (room[i]) room[count++] = std::move(room[i]);
            node->setChildCount(count);
            if (filesSorted_) {
                sortChildNodes(room + filesInRoom_, count - filesInRoom_);
                mergeSortedRuns(room, filesInRoom_, count);
            } else {
                sortChildNodes(room, count);
            }
        }
        node->setSize(size.load(std::memory_order_relaxed));
        node->setLogicalSize(logicalSize.load(std::memory_order_relaxed));
        node->setFileCount(fileCount.load(std::memory_order_relaxed));
    }
    if (!parent || isExcluded) return; // the root's node is taken by the engine
    add(parent->size, size.load(std::memory_order_relaxed));
    add(parent->logicalSize, logicalSize.load(std::memory_order_relaxed));
    add(parent->fileCount, fileCount.load(std::memory_order_relaxed));
    if (keepNode) {
        // Its own place in the parent's room; the parent's finish orders these writes.
        node->setParent(parent->node.get());
        parent->node->childRoom()[parent->filesInRoom_ + indexInParent_] = std::move(node);
    }
}

namespace {

std::uint64_t load8(const char* bytes) noexcept {
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    return word;
}

constexpr std::uint64_t highBits = 0x8080808080808080ull;

// A node's size and the first 16 bytes of its name as two big-endian numbers, zeros
// after a shorter name: comparing them compares the names' first 16 bytes in byte
// order, and a name that ends within them comes before one that goes on (no name
// holds a zero byte). Names that are not valid UTF-8 are keyed by their repaired
// text (which is where FileNode::childOrder puts them); their node pointer then
// carries a mark in its lowest bit (nodes are 8-byte aligned).
struct SortKey {
    std::int64_t size;
    std::uint64_t head, tail;
    std::uintptr_t node;

    FileNode* target() const noexcept { return reinterpret_cast<FileNode*>(node & ~std::uintptr_t{1}); }
    bool isRepaired() const noexcept { return node & 1; }
};

// The repaired texts of one sort's invalid names, by node.
thread_local std::vector<std::pair<const FileNode*, std::string>> repairedNames;

std::string_view keyText(const SortKey& key) noexcept {
    if (!key.isRepaired()) return key.target()->name();
    const FileNode* node = key.target();
    const auto found = std::lower_bound(repairedNames.begin(), repairedNames.end(), node,
                                        [](const auto& entry, const FileNode* n) { return entry.first < n; });
    return found->second;
}

inline bool keyLess(const SortKey& a, const SortKey& b) noexcept {
    if (a.size != b.size) return a.size > b.size;
    if (a.head != b.head) return a.head < b.head;
    if (a.tail != b.tail) return a.tail < b.tail;
    if (!a.isRepaired() && !b.isRepaired()) return a.target()->name() < b.target()->name();
    const std::string_view ta = keyText(a), tb = keyText(b);
    if (ta != tb) return ta < tb;
    return a.target()->name() < b.target()->name(); // names repaired alike, in a fixed order
}

// Fills `key` from `text` (the node's name or its repair) and says whether the text
// is plain ASCII.
bool makeKey(FileNode* node, std::string_view text, SortKey& key) noexcept {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t head = 0, tail = 0, high = 0;
    if (n >= 8) {
        head = load8(p);
        if (n >= 16) {
            tail = load8(p + 8);
            for (std::size_t i = 16; i + 8 <= n; i += 8) high |= load8(p + i);
            if (n % 8) high |= load8(p + n - 8);
        } else if (n > 8) {
            tail = load8(p + n - 8) >> (8 * (16 - n)); // bytes 8 … n-1, at the low end
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) head |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    high |= head | tail;
    // Little-endian words hold the first byte lowest: turn them around.
    key = {node->size(), __builtin_bswap64(head), __builtin_bswap64(tail), reinterpret_cast<std::uintptr_t>(node)};
    return (high & highBits) == 0;
}

} // namespace

void mergeSortedRuns(NodeRef* nodes, std::size_t middle, std::size_t count) {
    if (middle == 0 || middle == count) return;
    // Usually few sub-folders beside many files: the shorter run goes aside, and each
    // of its nodes finds its place in the longer by a binary search.
    const bool secondShorter = count - middle <= middle;
    const auto less = [](const NodeRef& a, const NodeRef& b) { return FileNode::childOrder(*a, *b); };
    std::vector<NodeRef> aside;
    if (secondShorter) {
        aside.assign(std::make_move_iterator(nodes + middle), std::make_move_iterator(nodes + count));
        std::size_t kept = middle, out = count;
        for (std::size_t j = aside.size(); j-- > 0;) {
            // Nodes of the first run after this one move up behind it.
            const std::size_t at = static_cast<std::size_t>(
                std::upper_bound(nodes, nodes + kept, aside[j], less) - nodes);
            std::move_backward(nodes + at, nodes + kept, nodes + out);
            out -= kept - at;
            kept = at;
            nodes[--out] = std::move(aside[j]);
        }
    } else {
        aside.assign(std::make_move_iterator(nodes), std::make_move_iterator(nodes + middle));
        std::size_t next = middle, out = 0;
        for (std::size_t j = 0; j < aside.size(); ++j) {
            // Nodes of the second run before this one move down ahead of it.
            const std::size_t at = static_cast<std::size_t>(
                std::lower_bound(nodes + next, nodes + count, aside[j], less) - nodes);
            std::move(nodes + next, nodes + at, nodes + out);
            out += at - next;
            next = at;
            nodes[out++] = std::move(aside[j]);
        }
    }
}

void sortChildNodes(NodeRef* nodes, std::size_t count) {
    if (count < 2) return;
    // Keys side by side in memory: the nodes are reached into only for names that
    // share their first 16 bytes. Byte order of valid UTF-8 is code point order, the
    // order of FileNode::childOrder.
    thread_local std::vector<SortKey> keys;
    keys.resize(count);
    repairedNames.clear();
    for (std::size_t i = 0; i < count; ++i) {
        FileNode* node = nodes[i].get();
        if (makeKey(node, node->name(), keys[i]) || isValidUtf8(node->name())) continue;
        repairedNames.emplace_back(node, repairUtf8(node->name()));
        makeKey(node, repairedNames.back().second, keys[i]);
        keys[i].node |= 1;
    }
    std::sort(repairedNames.begin(), repairedNames.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return keyLess(a, b); });
    for (std::size_t i = 0; i < count; ++i) {
        nodes[i].release(); // the same references, put back in order
        nodes[i] = NodeRef(keys[i].target());
    }
    repairedNames.clear();
    if (keys.capacity() > (std::size_t{1} << 16)) std::vector<SortKey>().swap(keys);
    if (repairedNames.capacity() > 256) std::vector<std::pair<const FileNode*, std::string>>().swap(repairedNames);
}

} // namespace plenwick
