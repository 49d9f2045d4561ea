#pragma once
// One node of a scanned file tree, and the intrusive reference that owns it.
//
// Memory matters here: a scan of a large disk holds millions of nodes. A node is
// one allocation holding its fields, then a part that depends on its kind, then its
// raw name bytes: a file, link or inaccessible item keeps only a 32-bit file count
// there (it counts at most itself), a folder or package its 64-bit count and its
// children. Children are owned through a plain array of counted pointers; `parent`
// is a raw pointer that a dying parent clears in every child that outlives it, so a
// detached node held elsewhere behaves as a root.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

class FileNode;
class ScannerDirectory;
enum class FileCategory : std::uint8_t;

// Counted reference to a FileNode. Copying adds a reference, destruction drops one.
class NodeRef {
public:
    NodeRef() noexcept = default;
    NodeRef(std::nullptr_t) noexcept {}
    explicit NodeRef(FileNode* node) noexcept; // adopts a new reference
    NodeRef(const NodeRef& other) noexcept;
    NodeRef(NodeRef&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
    NodeRef& operator=(const NodeRef& other) noexcept;
    NodeRef& operator=(NodeRef&& other) noexcept;
    ~NodeRef();

    FileNode* get() const noexcept { return node_; }
    FileNode* operator->() const noexcept { return node_; }
    FileNode& operator*() const noexcept { return *node_; }
    explicit operator bool() const noexcept { return node_ != nullptr; }
    void reset() noexcept;

    // Hands the held reference over without releasing it.
    FileNode* release() noexcept { FileNode* n = node_; node_ = nullptr; return n; }

    friend bool operator==(const NodeRef& a, const NodeRef& b) noexcept { return a.node_ == b.node_; }
    friend bool operator==(const NodeRef& a, const FileNode* b) noexcept { return a.node_ == b; }

private:
    FileNode* node_ = nullptr;
};

class FileNode {
public:
    enum class Kind : std::uint8_t { file = 0, directory = 1, package = 2, symlink = 3, inaccessible = 4 };

    // Creates a node with no children and no parent. `name` is taken as raw bytes.
    // Only a directory or a package can hold children; another kind counts at most
    // 2^31 - 1 files (it is one file, or none).
    static NodeRef make(std::string_view name, Kind kind, std::int64_t size, std::int64_t logicalSize,
                        std::int64_t fileCount, double modified);

    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;

    // The entry's own name as raw bytes; for a root, the full path that was scanned.
    std::string_view name() const noexcept { return {nameBytes(), nameLength_}; }
    Kind kind() const noexcept { return static_cast<Kind>(kind_); }
    std::int64_t size() const noexcept { return size_; }
    std::int64_t logicalSize() const noexcept { return logicalSize_; }
    std::int64_t fileCount() const noexcept { return holdsChildren() ? container()->fileCount : *leafFileCount(); }
    double modified() const noexcept { return modified_; }
    FileNode* parent() const noexcept { return parent_; }

    void setSize(std::int64_t v) noexcept { size_ = v; }
    void setLogicalSize(std::int64_t v) noexcept { logicalSize_ = v; }
    void setFileCount(std::int64_t v) noexcept;
    void setParent(FileNode* p) noexcept { parent_ = p; }

    std::span<const NodeRef> children() const noexcept {
        if (!holdsChildren()) return {};
        return {container()->children, container()->childCount};
    }
    std::size_t childCount() const noexcept { return holdsChildren() ? container()->childCount : 0; }
    // Replaces the children; the new ones get this node as parent, the old ones
    // that still point here lose their parent. A node of another kind than
    // directory or package takes none (its list stays empty).
    void setChildren(std::vector<NodeRef> children);
    // Takes ownership of `children` as they are, without touching their parents.
    void adoptChildren(std::vector<NodeRef>&& children);
    // Removes the child at `index`, clearing its parent if it pointed here.
    void removeChildAt(std::size_t index);
    // Puts `child` in place of the child at `index` and makes this node its parent.
    void replaceChildAt(std::size_t index, NodeRef child);
    // Index of `child` among the children, or -1.
    std::ptrdiff_t indexOfChild(const FileNode* child) const noexcept;
    // Sorts the children by size descending, then by name.
    void sortChildren();

    bool isContainer() const noexcept { return holdsChildren(); }
    // The node's path as raw bytes, rebuilt from the parent chain; a node without a
    // parent gives its own name.
    std::string url() const;
    // The name as text for display (visibleText: invalid UTF-8 and control characters
    // shown as symbols); a root, whose name is a path, by the path's last component.
    // A scanned volume's root is called by its volume's name through the application
    // state, which knows the volumes.
    std::string displayName() const;
    // Lowercased extension of the name, or empty (see fileExtensionOf).
    std::string fileExtension() const;
    // The node's file category, from its kind and extension (FileCategory.h).
    FileCategory category() const;

    // Orders two nodes as children are kept: size descending, then name ascending.
    static bool childOrder(const FileNode& a, const FileNode& b) noexcept;

    // Reference counting, for NodeRef.
    void retain() noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void releaseRef() noexcept;
    std::uint32_t refCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

private:
    friend class ScannerDirectory;

    // What a directory or package keeps after the common fields.
    struct ContainerPart {
        std::int64_t fileCount;
        NodeRef* children;       // from node memory, room for `capacity`
        std::uint32_t childCount;
        std::uint32_t capacity;
    };
    static bool holdsChildren(Kind kind) noexcept { return kind == Kind::directory || kind == Kind::package; }
    bool holdsChildren() const noexcept { return holdsChildren(kind()); }
    static std::size_t partSize(Kind kind) noexcept {
        return holdsChildren(kind) ? sizeof(ContainerPart) : sizeof(std::int32_t);
    }
    ContainerPart* container() noexcept { return reinterpret_cast<ContainerPart*>(this + 1); }
    const ContainerPart* container() const noexcept { return reinterpret_cast<const ContainerPart*>(this + 1); }
    std::int32_t* leafFileCount() noexcept { return reinterpret_cast<std::int32_t*>(this + 1); }
    const std::int32_t* leafFileCount() const noexcept { return reinterpret_cast<const std::int32_t*>(this + 1); }
    char* nameBytes() noexcept { return reinterpret_cast<char*>(this + 1) + partSize(kind()); }
    const char* nameBytes() const noexcept { return reinterpret_cast<const char*>(this + 1) + partSize(kind()); }

    FileNode(std::uint32_t nameLength, Kind kind, std::int64_t size, std::int64_t logicalSize, double modified) noexcept;
    ~FileNode() = default;
    // A directory or package with room for `capacity` children and none yet (the
    // scanner fills the room, then says how many it filled).
    static NodeRef makeWithRoom(std::string_view name, Kind kind, double modified, std::uint32_t capacity);
    // The room of a node made with makeWithRoom, and how much of it is filled.
    NodeRef* childRoom() noexcept { return container()->children; }
    void setChildCount(std::uint32_t count) noexcept { container()->childCount = count; }
    static NodeRef* allocateChildren(std::size_t count);
    static void freeChildren(NodeRef* children) noexcept;
    void freeChildArray() noexcept;
    static void destroy(FileNode* node) noexcept;

    std::atomic<std::uint32_t> refs_{1};
    std::uint32_t nameLength_ : 24;
    std::uint32_t kind_ : 8;
    std::int64_t size_;
    std::int64_t logicalSize_;
    double modified_;
    FileNode* parent_ = nullptr;
    // Then the kind's part, then the name bytes and a zero byte.
};

// Whether `node` is `ancestor` or lies below it, by its chain of parents. A detached
// node lies inside nothing but itself.
inline bool isWithin(const FileNode* node, const FileNode* ancestor) noexcept {
    for (const FileNode* n = node; n; n = n->parent())
        if (n == ancestor) return true;
    return false;
}

// Lowercased text after the last "." of a name, counted in characters; empty when
// there is no dot, the dot comes first, nothing or more than 16 characters follow,
// or what follows contains a space. A shared library with a version after its ".so"
// ("libfoo.so.1.2.3") has the extension "so". Every view that names, colours or
// counts a file by its extension takes it from here.
std::string fileExtensionOf(std::string_view name);

// Scratch space for fileExtensionView: an ASCII extension fits `ascii`; others go
// to `spill`, which keeps its capacity from one call to the next.
struct ExtensionBuffer {
    char ascii[16];
    std::string spill;
};
// fileExtensionOf without allocating for ASCII extensions; the result points into
// `buffer` and stays valid until its next use.
std::string_view fileExtensionView(std::string_view name, ExtensionBuffer& buffer);

inline NodeRef::NodeRef(FileNode* node) noexcept : node_(node) {}
inline NodeRef::NodeRef(const NodeRef& other) noexcept : node_(other.node_) { if (node_) node_->retain(); }
inline NodeRef& NodeRef::operator=(const NodeRef& other) noexcept {
    if (other.node_) other.node_->retain();
    FileNode* old = node_;
    node_ = other.node_;
    if (old) old->releaseRef();
    return *this;
}
inline NodeRef& NodeRef::operator=(NodeRef&& other) noexcept {
    if (this != &other) {
        FileNode* old = node_;
        node_ = other.node_;
        other.node_ = nullptr;
        if (old) old->releaseRef();
    }
    return *this;
}
inline NodeRef::~NodeRef() { if (node_) node_->releaseRef(); }
inline void NodeRef::reset() noexcept { FileNode* old = node_; node_ = nullptr; if (old) old->releaseRef(); }

// Retains a node that is already referenced elsewhere.
inline NodeRef retainNode(FileNode* node) noexcept { if (node) node->retain(); return NodeRef(node); }

} // namespace plenwick

template <>
struct std::hash<plenwick::NodeRef> {
    std::size_t operator()(const plenwick::NodeRef& r) const noexcept { return std::hash<const void*>{}(r.get()); }
};
