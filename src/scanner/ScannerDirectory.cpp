#include "scanner/ScannerDirectory.h"

#include "base/Utf8.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace plenwick {
namespace {
std::atomic<std::int64_t> liveDirectories{0};
}

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
    // Only an abandoned (cancelled) scan leaves an anchor open.
    if (d->anchorUsers.load(std::memory_order_relaxed) > 0) ::close(d->anchorFd);
    d->~ScannerDirectory();
    ::operator delete(d);
    liveDirectories.fetch_sub(1, std::memory_order_relaxed);
}

void ScannerDirectory::destroyTree(ScannerDirectory* root) noexcept {
    if (!root) return;
    std::vector<ScannerDirectory*> stack{root};
    while (!stack.empty()) {
        ScannerDirectory* d = stack.back();
        stack.pop_back();
        for (ScannerDirectory* s : d->subdirectories) stack.push_back(s);
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

void sortChildNodes(std::vector<NodeRef>& nodes) {
    // When every name is valid UTF-8, byte order is code point order and the plain
    // comparison gives the same order as FileNode::childOrder at a fraction of the cost.
    bool allValid = true;
    for (const NodeRef& n : nodes)
        if (!isValidUtf8(n->name())) { allValid = false; break; }
    if (allValid) {
        std::sort(nodes.begin(), nodes.end(), [](const NodeRef& a, const NodeRef& b) {
            if (a->size() != b->size()) return a->size() > b->size();
            return a->name() < b->name();
        });
    } else {
        std::sort(nodes.begin(), nodes.end(),
                  [](const NodeRef& a, const NodeRef& b) { return FileNode::childOrder(*a, *b); });
    }
}

void ScannerDirectory::finalize() {
    std::vector<NodeRef> children = std::move(files);
    const bool keepNode = !isExcluded && (!parent || parent->recordsChildren);
    for (ScannerDirectory* s : subdirectories) {
        if (!s->isExcluded) {
            size += s->size;
            logicalSize += s->logicalSize;
            fileCount += s->fileCount;
            if (s->node && keepNode) children.push_back(std::move(s->node));
        }
        destroy(s);
    }
    std::vector<ScannerDirectory*>().swap(subdirectories);
    if (!keepNode) return; // the children (if any) go with the vector

    sortChildNodes(children);
    node = FileNode::make(name(), isInaccessible ? FileNode::Kind::inaccessible : kind, size, logicalSize, fileCount,
                          modified);
    node->setChildren(std::move(children));
}

} // namespace plenwick
