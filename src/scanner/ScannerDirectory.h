#pragma once
// The scan state of one folder while it is scanned. Kept small: one allocation holding the
// fields and, after them, the folder's raw name bytes (the full path for the root).
// The full path is not stored; it is rebuilt from the parent chain when needed
// (opening a queued folder, a progress report, a mount-point test), which is safe
// because a folder's ancestors live at least until the folder has finished.
//
// A folder state is freed as soon as its parent is finalised; the root by the engine.

#include "scanner/FileNode.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

class ScannerDirectory {
public:
    static ScannerDirectory* create(std::string_view name, FileNode::Kind kind, double modified,
                                    ScannerDirectory* parent, bool recordsChildren, std::int32_t expectedEntries);
    static void destroy(ScannerDirectory* directory) noexcept;
    // Frees `root` and every folder state still reachable below it, without recursion.
    static void destroyTree(ScannerDirectory* root) noexcept;
    // Number of folder states alive in the process (for tests).
    static std::int64_t liveCount() noexcept;

    ScannerDirectory(const ScannerDirectory&) = delete;
    ScannerDirectory& operator=(const ScannerDirectory&) = delete;

    std::string_view name() const noexcept { return {cName(), nameLength_}; }
    // The name bytes followed by a zero byte, for system calls.
    const char* cName() const noexcept { return reinterpret_cast<const char*>(this + 1); }
    // The full path: the parent's path, "/" and the name ("/" + name directly under "/").
    void appendPath(std::string& out) const;
    std::string path() const { std::string p; appendPath(p); return p; }
    // Whether this folder's path is "/" (its children's prefix is then empty).
    bool isFileSystemRoot() const noexcept { return !parent && name() == "/"; }

    // Builds the totals and, unless excluded or not recorded, the node from the own
    // entries and the finished sub-folders; frees the sub-folder states.
    void finalize();

    ScannerDirectory* const parent;
    std::atomic<std::int32_t> pending{1}; // unfinished pieces, the own listing first
    const FileNode::Kind kind;
    const bool recordsChildren;
    bool isInaccessible = false;
    bool isExcluded = false;
    const std::int32_t expectedEntries;
    const double modified;
    // Own bytes and files until finalised, then the totals including sub-folders.
    std::int64_t size = 0;
    std::int64_t logicalSize = 0;
    std::int64_t fileCount = 0;
    std::vector<NodeRef> files;                  // capacity: files + sub-folders (the children to come)
    std::vector<ScannerDirectory*> subdirectories; // owned until finalised
    NodeRef node;

private:
    ScannerDirectory(std::uint32_t nameLength, FileNode::Kind kind, double modified, ScannerDirectory* parent,
                     bool recordsChildren, std::int32_t expectedEntries) noexcept;
    ~ScannerDirectory() = default;

    std::uint32_t nameLength_;
};

// Sorts nodes as children are kept: size descending, then name ascending.
void sortChildNodes(std::vector<NodeRef>& nodes);

} // namespace plenwick
