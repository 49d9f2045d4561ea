#pragma once
// The scan state of one folder while it is scanned. Kept small: one allocation holding the
// fields and, after them, the folder's raw name bytes (the full path for the root).
// The full path is not stored; it is rebuilt from the parent chain when needed
// (opening a queued folder, a progress report, a mount-point test), which is safe
// because a folder's ancestors live at least until the folder has finished.
//
// A folder's node is made as soon as its listing is stored, with room for its files
// and a place for each sub-folder after them; the files go in at once. When a
// sub-folder finishes it puts its own node into its place and adds its totals to
// the folder's, on whichever thread finished it, and its state is freed then;
// finishing the folder itself only closes the gaps left by sub-folders without a node
// and sorts (a long list of files is sorted early, and the sub-folders merged in). The root's state is freed by the engine.
//
// While sub-folders of a folder wait in the queue, the folder's descriptor may stay
// open as their anchor: they are opened beside it by their names, never by a path.
// The anchor counts its users (the worker listing the folder, the sub-folders queued
// with a claim on it, and workers opening a deeper folder from it) and is closed by
// whoever lets go of it last.

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

    // Stores a finished listing: the own totals, the nodes of the files (moved out of
    // `files`) and the sub-folders to scan, which this state owns from now on.
    void storeListing(std::int64_t ownSize, std::int64_t ownLogicalSize, std::int64_t ownFileCount,
                      std::vector<NodeRef>& files, const std::vector<ScannerDirectory*>& subfolders);

    // Sorts a long list of files among themselves, early, while the tree is small
    // and other workers are busy; finalize then only merges the sub-folders in.
    // Only by the lister, before it retires its piece.
    void sortFiles();

    // Called once the last piece of this folder is done: completes its node (unless
    // it is excluded or not recorded) and hands node and totals to the parent. The
    // caller then retires a piece of the parent and frees this state (finished()).
    void finalize();
    // Frees a finalised state that has a parent, taking it out of the parent's list.
    static void finished(ScannerDirectory* directory) noexcept;

    // Adds a user to the anchor if it is open; false once it is closed (or never was).
    bool retainAnchor() noexcept {
        std::int32_t users = anchorUsers.load(std::memory_order_relaxed);
        while (users > 0)
            if (anchorUsers.compare_exchange_weak(users, users + 1, std::memory_order_acquire)) return true;
        return false;
    }

    // How the folder's identity in its parent's listing is known.
    enum class Identity : std::uint8_t {
        unknown, // its status could not be read: whatever opens is taken
        status,  // device and inode from its own status, as listed
        listing, // inode from the listing on a volume whose listings give the real inode
    };

    ScannerDirectory* const parent;
    std::atomic<std::int32_t> pending{1}; // unfinished pieces, the own listing first
    const FileNode::Kind kind;
    const bool recordsChildren;
    bool isInaccessible = false;
    bool isExcluded = false;
    Identity identity = Identity::unknown;
    const std::int32_t expectedEntries;
    double modified; // from the listing, or from the folder's own status once opened
    std::uint64_t listedDevice = 0;
    std::uint64_t listedInode = 0;
    std::atomic<std::int32_t> anchorUsers{0}; // 0: no anchor (any more)
    int anchorFd = -1;
    // The own totals once listed; the finished sub-folders' are added as they finish.
    std::atomic<std::int64_t> size{0};
    std::atomic<std::int64_t> logicalSize{0};
    std::atomic<std::int64_t> fileCount{0};
    std::vector<ScannerDirectory*> subdirectories; // owned; a finished one's slot is null
    NodeRef node;                                  // with room for the children, once listed

private:
    ScannerDirectory(std::uint32_t nameLength, FileNode::Kind kind, double modified, ScannerDirectory* parent,
                     bool recordsChildren, std::int32_t expectedEntries) noexcept;
    ~ScannerDirectory() = default;

    std::uint32_t nameLength_;
    std::uint32_t indexInParent_ = 0;
    std::uint32_t filesInRoom_ = 0; // the sub-folders' places follow the files
    bool filesSorted_ = false;
};

// Sorts nodes as children are kept: size descending, then name ascending.
void sortChildNodes(NodeRef* nodes, std::size_t count);
inline void sortChildNodes(std::vector<NodeRef>& nodes) { sortChildNodes(nodes.data(), nodes.size()); }
// Merges nodes [0, middle) and [middle, count), each sorted so, into one run.
void mergeSortedRuns(NodeRef* nodes, std::size_t middle, std::size_t count);

} // namespace plenwick
