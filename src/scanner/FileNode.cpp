#include "scanner/FileNode.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "scanner/NodeMemory.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <cstdlib>
#include <cstring>
#include <new>

namespace plenwick {

FileNode::FileNode(std::uint32_t nameLength, Kind kind, std::int64_t size, std::int64_t logicalSize,
                   double modified) noexcept
    : nameLength_(nameLength), kind_(static_cast<std::uint8_t>(kind)), size_(size), logicalSize_(logicalSize),
      modified_(modified) {}

static_assert(sizeof(FileNode) == 40, "the fields every node has: keep them small");

namespace {
constexpr std::size_t maxNameLength = (std::size_t{1} << 24) - 1;
} // namespace

NodeRef FileNode::make(std::string_view name, Kind kind, std::int64_t size, std::int64_t logicalSize,
                       std::int64_t fileCount, double modified) {
    if (name.size() > maxNameLength) throw std::length_error("FileNode name too long");
    const auto length = static_cast<std::uint32_t>(name.size());
    void* memory = allocateNodeMemory(sizeof(FileNode) + partSize(kind) + length + 1);
    auto* node = new (memory) FileNode(length, kind, size, logicalSize, modified);
    char* bytes;
    if (holdsChildren(kind)) {
        new (node->container()) ContainerPart{fileCount, nullptr, 0, 0};
        bytes = reinterpret_cast<char*>(node + 1) + sizeof(ContainerPart);
    } else {
        new (node->leafFileCount()) std::int32_t(static_cast<std::int32_t>(std::clamp<std::int64_t>(fileCount, INT32_MIN, INT32_MAX)));
        bytes = reinterpret_cast<char*>(node + 1) + sizeof(std::int32_t);
    }
    std::memcpy(bytes, name.data(), length);
    bytes[length] = '\0';
    return NodeRef(node);
}

NodeRef FileNode::makeWithRoom(std::string_view name, Kind kind, double modified, std::uint32_t capacity) {
    NodeRef node = make(name, kind, 0, 0, 0, modified);
    if (capacity) {
        node->container()->children = allocateChildren(capacity);
        node->container()->capacity = capacity;
    }
    return node;
}

void FileNode::setFileCount(std::int64_t v) noexcept {
    if (holdsChildren()) container()->fileCount = v;
    else *leafFileCount() = static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

void FileNode::releaseRef() noexcept {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) destroy(this);
}

NodeRef* FileNode::allocateChildren(std::size_t count) {
    auto* children = static_cast<NodeRef*>(allocateNodeMemory(count * sizeof(NodeRef)));
    for (std::size_t i = 0; i < count; ++i) new (&children[i]) NodeRef();
    return children;
}

void FileNode::freeChildren(NodeRef* children) noexcept { freeNodeMemory(children); }

void FileNode::freeChildArray() noexcept {
    // Only called once the children have been released or moved out.
    if (!holdsChildren()) return;
    freeChildren(container()->children);
    container()->children = nullptr;
    container()->childCount = 0;
    container()->capacity = 0;
}

// Tears a subtree down with an explicit stack, so a deep chain cannot overflow the
// thread's stack. Children that survive (held elsewhere) lose their parent.
void FileNode::destroy(FileNode* node) noexcept {
    std::vector<FileNode*> pending;
    FileNode* current = node;
    for (;;) {
        if (current->holdsChildren()) {
            ContainerPart* part = current->container();
            for (std::uint32_t i = 0; i < part->childCount; ++i) {
                FileNode* child = part->children[i].release();
                if (!child) continue;
                if (child->parent_ == current) child->parent_ = nullptr;
                if (child->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                    try {
                        pending.push_back(child);
                    } catch (...) {
                        destroy(child); // out of memory for the stack: fall back to recursion
                    }
                }
            }
            current->freeChildArray();
        }
        current->~FileNode();
        freeNodeMemory(current);
        if (pending.empty()) return;
        current = pending.back();
        pending.pop_back();
    }
}

void FileNode::adoptChildren(std::vector<NodeRef>&& children) {
    if (!holdsChildren()) {
        // A file, link or inaccessible item has no list to hold them.
        children.clear();
        return;
    }
    ContainerPart* part = container();
    NodeRef* array = children.empty() ? nullptr : allocateChildren(children.size());
    for (std::size_t i = 0; i < children.size(); ++i) array[i] = std::move(children[i]);
    const auto count = static_cast<std::uint32_t>(children.size());
    children.clear();
    // Release the old children after the new ones are in place. An old child that
    // is also among the new ones keeps this node as its parent.
    NodeRef* old = part->children;
    const std::uint32_t oldCount = part->childCount;
    part->children = array;
    part->childCount = count;
    part->capacity = count;
    if (oldCount == 0) {
        freeChildren(old);
        return;
    }
    std::vector<FileNode*> kept;
    for (std::uint32_t i = 0; i < count; ++i)
        if (array[i] && array[i]->parent_ == this) kept.push_back(array[i].get());
    for (std::uint32_t i = 0; i < oldCount; ++i)
        if (old[i] && old[i]->parent_ == this) old[i]->parent_ = nullptr;
    for (FileNode* k : kept) k->parent_ = this;
    for (std::uint32_t i = 0; i < oldCount; ++i) old[i].~NodeRef();
    freeChildren(old);
}

void FileNode::setChildren(std::vector<NodeRef> children) {
    if (holdsChildren())
        for (auto& c : children) c->parent_ = this;
    adoptChildren(std::move(children));
}

void FileNode::removeChildAt(std::size_t index) {
    if (index >= childCount()) return;
    ContainerPart* part = container();
    NodeRef removed = std::move(part->children[index]);
    for (std::size_t i = index + 1; i < part->childCount; ++i) part->children[i - 1] = std::move(part->children[i]);
    --part->childCount; // the room stays; the moved-from last slot is empty
    if (part->childCount == 0) freeChildArray();
    if (removed && removed->parent_ == this) removed->parent_ = nullptr;
}

void FileNode::replaceChildAt(std::size_t index, NodeRef child) {
    if (index >= childCount()) return;
    NodeRef* children = container()->children;
    if (child) child->parent_ = this;
    NodeRef old = std::move(children[index]);
    children[index] = std::move(child);
    if (old && old != children[index] && old->parent_ == this) old->parent_ = nullptr;
}

std::ptrdiff_t FileNode::indexOfChild(const FileNode* child) const noexcept {
    const auto list = children();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == child) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

namespace {
bool isAscii(std::string_view s) noexcept {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
} // namespace

bool FileNode::childOrder(const FileNode& a, const FileNode& b) noexcept {
    if (a.size_ != b.size_) return a.size_ > b.size_;
    const std::string_view na = a.name(), nb = b.name();
    // UTF-8 byte order is code point order; only invalid names compare by their repaired text.
    if ((isAscii(na) && isAscii(nb)) || (isValidUtf8(na) && isValidUtf8(nb))) return na < nb;
    return repairUtf8(na) < repairUtf8(nb);
}

void FileNode::sortChildren() {
    if (!holdsChildren()) return;
    NodeRef* children = container()->children;
    std::sort(children, children + container()->childCount,
              [](const NodeRef& a, const NodeRef& b) { return childOrder(*a, *b); });
}

std::string FileNode::url() const {
    // Collect the chain once, then join from the top.
    std::vector<const FileNode*> chain;
    std::size_t length = 0;
    for (const FileNode* n = this; n; n = n->parent_) {
        chain.push_back(n);
        length += n->nameLength_ + 1;
    }
    std::string path;
    path.reserve(length);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin() && (path.empty() || path.back() != '/')) path.push_back('/');
        path.append((*it)->name());
    }
    return path;
}

std::string FileNode::displayName() const {
    return parent_ ? visibleText(name()) : visibleText(lastPathComponent(name()));
}

std::string FileNode::fileExtension() const { return fileExtensionOf(name()); }

std::string fileExtensionOf(std::string_view name) {
    ExtensionBuffer buffer;
    return std::string(fileExtensionView(name, buffer));
}

namespace {

bool isDecimal(std::string_view text) noexcept {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// True when `stem` ends in ".so" followed by nothing but numeric version parts
// (".so", ".so.1", ".so.1.2"), with a name before the ".so".
bool endsAsSharedLibrary(std::string_view stem) noexcept {
    for (;;) {
        const auto dot = stem.rfind('.');
        if (dot == std::string_view::npos || dot == 0) return false;
        const std::string_view part = stem.substr(dot + 1);
        if (part.size() == 2 && (part[0] | 0x20) == 's' && (part[1] | 0x20) == 'o') return true;
        if (!isDecimal(part)) return false;
        stem = stem.substr(0, dot);
    }
}

} // namespace

std::string_view fileExtensionView(std::string_view name, ExtensionBuffer& buffer) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 >= name.size()) return {};
    const std::string_view rawTail = name.substr(dot + 1);
    // A versioned shared library ("libfoo.so.1.2.3") is a shared library, not a "3".
    if (isDecimal(rawTail) && endsAsSharedLibrary(name.substr(0, dot))) return "so";
    if (rawTail.size() > 64) return {}; // far beyond 16 characters whatever the encoding
    if (rawTail.size() <= sizeof buffer.ascii) {
        // Common case: plain ASCII, lowered into the fixed buffer.
        std::size_t i = 0;
        for (; i < rawTail.size(); ++i) {
            char c = rawTail[i];
            if (static_cast<unsigned char>(c) >= 0x80) break;
            if (c == ' ') return {};
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            buffer.ascii[i] = c;
        }
        if (i == rawTail.size()) return {buffer.ascii, i};
    }
    buffer.spill = repairUtf8(rawTail);
    if (buffer.spill.find(' ') != std::string::npos || codePointCount(buffer.spill) > 16) return {};
    buffer.spill = asciiLower(buffer.spill);
    return buffer.spill;
}

} // namespace plenwick
