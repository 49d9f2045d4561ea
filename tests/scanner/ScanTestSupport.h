#pragma once
// Fixture trees for the scanner tests: built per test in a fresh folder under /tmp
// (mode 0755 all the way, so that an unprivileged child can reach it), removed
// afterwards without path-length limits. Plus helpers to look nodes up, to check a
// tree's invariants and to count threads (forked children: common/TestSupport.h).

#include "common/TestSupport.h"
#include "scanner/DiskScanner.h"
#include "scanner/FileNode.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <chrono>
#include <thread>
#include <vector>

namespace plenwick::test {

inline void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Removes everything below the open folder `fd`, then nothing else. Walks down and
// back up with one descriptor at a time, so a chain deeper than the descriptor
// limit goes as well; what cannot be removed is made writable first.
inline void removeContents(int fd) {
    struct Level {
        std::vector<std::string> folders; // left to descend into
    };
    int current = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (current < 0) return;
    std::vector<Level> levels;
    const auto list = [](int dirFd) {
        Level level;
        const int copy = ::dup(dirFd);
        DIR* dir = ::fdopendir(copy);
        if (!dir) {
            ::close(copy);
            return level;
        }
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view n = e->d_name;
            if (n != "." && n != "..") names.emplace_back(n);
        }
        ::closedir(dir);
        for (const std::string& n : names) {
            if (::unlinkat(dirFd, n.c_str(), 0) == 0 || ::unlinkat(dirFd, n.c_str(), AT_REMOVEDIR) == 0) continue;
            ::fchmodat(dirFd, n.c_str(), 0755, 0);
            if (::unlinkat(dirFd, n.c_str(), AT_REMOVEDIR) != 0) level.folders.push_back(n);
        }
        return level;
    };
    levels.push_back(list(current));
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.folders.empty()) {
            const int sub = ::openat(current, level.folders.back().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                level.folders.pop_back();
                continue;
            }
            ::close(current);
            current = sub;
            levels.push_back(list(current));
            continue;
        }
        levels.pop_back();
        if (levels.empty()) break;
        // Back to the parent, and remove the folder just emptied.
        const int parent = ::openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(current);
        current = parent;
        if (current < 0) return;
        ::unlinkat(current, levels.back().folders.back().c_str(), AT_REMOVEDIR);
        levels.back().folders.pop_back();
    }
    ::close(current);
}

class TempTree {
public:
    TempTree() {
        char pattern[] = "/tmp/plenwick-scan-XXXXXX";
        check(::mkdtemp(pattern) != nullptr, "mkdtemp");
        root_ = pattern;
        check(::chmod(root_.c_str(), 0755) == 0, "chmod");
    }
    ~TempTree() {
        const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            removeContents(fd);
            ::close(fd);
        }
        ::rmdir(root_.c_str());
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(std::string_view relative) const { return root_ + "/" + std::string(relative); }

    void dir(std::string_view relative, mode_t mode = 0755) const {
        const std::string p = path(relative);
        check(::mkdir(p.c_str(), mode) == 0 || errno == EEXIST, "mkdir " + p);
        check(::chmod(p.c_str(), mode) == 0, "chmod " + p);
    }
    // A file of `size` bytes, really written (so its blocks are allocated).
    void file(std::string_view relative, std::size_t size = 0, char fill = 'x') const {
        const std::string p = path(relative);
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        check(fd >= 0, "create " + p);
        std::string chunk(65536, fill);
        for (std::size_t left = size; left > 0;) {
            const std::size_t n = std::min(left, chunk.size());
            check(::write(fd, chunk.data(), n) == static_cast<ssize_t>(n), "write " + p);
            left -= n;
        }
        ::close(fd);
    }
    // A file of `length` bytes of which only the first `written` are data.
    void sparse(std::string_view relative, off_t length, std::size_t written) const {
        file(relative, written);
        check(::truncate(path(relative).c_str(), length) == 0, "truncate");
    }
    void symlink(std::string_view target, std::string_view relative) const {
        check(::symlink(std::string(target).c_str(), path(relative).c_str()) == 0, "symlink");
    }
    void hardlink(const std::string& existing, const std::string& newPath) const {
        check(::link(existing.c_str(), newPath.c_str()) == 0, "link");
    }
    void fifo(std::string_view relative) const { check(::mkfifo(path(relative).c_str(), 0644) == 0, "mkfifo"); }

private:
    std::string root_;
};

// Allocated bytes of a path as the scanner counts them (blocks × 512, no follow).
inline std::int64_t allocatedOf(const std::string& p) {
    struct stat st;
    check(::lstat(p.c_str(), &st) == 0, "lstat " + p);
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}
inline std::int64_t lengthOf(const std::string& p) {
    struct stat st;
    check(::lstat(p.c_str(), &st) == 0, "lstat " + p);
    return st.st_size;
}

// The child of `node` named `name` (raw bytes), or null.
inline FileNode* child(const FileNode* node, std::string_view name) {
    if (!node) return nullptr;
    for (const NodeRef& c : node->children())
        if (c->name() == name) return c.get();
    return nullptr;
}
// Follows "a/b/c" from `node`.
inline FileNode* find(const FileNode* node, std::string_view relative) {
    const FileNode* current = node;
    while (current && !relative.empty()) {
        const auto slash = relative.find('/');
        current = child(current, relative.substr(0, slash));
        relative = slash == std::string_view::npos ? std::string_view{} : relative.substr(slash + 1);
    }
    return const_cast<FileNode*>(current);
}

// Checks the scanner's invariants over a whole tree; returns a description of the
// first violation, or "".
inline std::string treeViolation(const FileNode* root) {
    std::vector<const FileNode*> stack{root};
    while (!stack.empty()) {
        const FileNode* n = stack.back();
        stack.pop_back();
        if (!n->isContainer() && n->childCount()) return "non-container with children: " + n->url();
        if (n->isContainer() && n->childCount()) {
            std::int64_t size = 0, logical = 0, files = 0;
            const auto kids = n->children();
            for (std::size_t i = 0; i < kids.size(); ++i) {
                if (kids[i]->parent() != n) return "wrong parent: " + kids[i]->url();
                if (i && FileNode::childOrder(*kids[i], *kids[i - 1])) return "unsorted: " + kids[i]->url();
                size += kids[i]->size();
                logical += kids[i]->logicalSize();
                files += kids[i]->fileCount();
                stack.push_back(kids[i].get());
            }
            if (size != n->size() || logical != n->logicalSize() || files != n->fileCount())
                return "totals differ from children: " + n->url();
        }
    }
    return "";
}

// What a plain walk of one thread counts below a folder, on its volume: every
// non-folder as a file, allocated and logical bytes with hard links counted once,
// and the folders (the root among them).
struct ReferenceTotals {
    std::int64_t files = 0, allocated = 0, logical = 0, folders = 0;
    friend bool operator==(const ReferenceTotals&, const ReferenceTotals&) = default;
};

inline ReferenceTotals referenceWalk(const std::string& root) {
    static thread_local ReferenceTotals* totals;
    static thread_local std::set<std::pair<dev_t, ino_t>>* seen;
    ReferenceTotals result;
    std::set<std::pair<dev_t, ino_t>> linked;
    totals = &result;
    seen = &linked;
    const auto visit = [](const char*, const struct stat* st, int type, FTW*) {
        if (type == FTW_D || type == FTW_DNR) {
            ++totals->folders;
            return 0;
        }
        ++totals->files;
        if (S_ISREG(st->st_mode) && st->st_nlink > 1 && !seen->emplace(st->st_dev, st->st_ino).second) return 0;
        totals->allocated += static_cast<std::int64_t>(st->st_blocks) * 512;
        totals->logical += st->st_size;
        return 0;
    };
    check(::nftw(root.c_str(), visit, 32, FTW_PHYS | FTW_MOUNT) == 0, "nftw " + root);
    return result;
}

inline ReferenceTotals totalsOf(const FileNode* root) {
    ReferenceTotals t{root->fileCount(), root->size(), root->logicalSize(), 0};
    std::vector<const FileNode*> stack{root};
    while (!stack.empty()) {
        const FileNode* n = stack.back();
        stack.pop_back();
        t.folders += n->isContainer();
        for (const NodeRef& c : n->children()) stack.push_back(c.get());
    }
    return t;
}

inline std::int64_t countNodes(const FileNode* root) {
    std::int64_t count = 0;
    std::vector<const FileNode*> stack{root};
    while (!stack.empty()) {
        const FileNode* n = stack.back();
        stack.pop_back();
        ++count;
        for (const NodeRef& c : n->children()) stack.push_back(c.get());
    }
    return count;
}

// Number of threads of this process. A first thread is started and joined once
// beforehand, so that runtime helpers started with the first thread (such as
// ThreadSanitizer's background thread) are part of every count.
inline int threadCount() {
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    int count = 0;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++count;
        ::closedir(d);
    }
    return count;
}

// The thread count once it has stopped changing (three equal reads 10 ms apart, a
// second at most): the baseline of a test must not include the previous test's
// threads that are still leaving.
inline int quietThreadCount() {
    int count = threadCount();
    for (int i = 0, same = 0; i < 100 && same < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const int next = threadCount();
        same = next == count ? same + 1 : 0;
        count = next;
    }
    return count;
}

// The thread count once it has settled back to `expected`, or the last count after a
// second: a joined thread can linger in /proc for a moment after the join returns.
inline int threadCountSettlingTo(int expected) {
    int count = threadCount();
    for (int i = 0; i < 100 && count != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = threadCount();
    }
    return count;
}

inline ScanOptions withWorkers(int workers) {
    ScanOptions o;
    o.workerCount = workers;
    return o;
}

} // namespace plenwick::test

#include "base/PathNames.h"
#include "base/MountTable.h"
#include "scanner/ScanCompletion.h"
#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerEngine.h"
#include "scanner/ScannerVolumePolicy.h"

namespace plenwick::test {

// A scan run on the engine directly, as the driver runs it, so that a test can also
// read the engine's final counters (errorCount is otherwise only seen in reports).
struct EngineScan {
    NodeRef root;
    ScanProgress totals;
    std::exception_ptr error;
};

inline EngineScan scanWithEngine(const std::string& path, ScanOptions options = {},
                                 ScanProgressCallback progress = nullptr) {
    const std::string p = normalizePath(path).value();
    const auto identity = volumeIdentityOf(p.c_str());
    check(identity.has_value(), "identity of " + p);
    ScannerDirectory* root = ScannerDirectory::create(p, FileNode::Kind::directory, 0, nullptr, true, -1);
    ScannerEngine engine(root, options, options.workerCount,
                         ScannerVolumePolicy::forScan(readMountTable(), *identity, options.crossVolumes),
                         std::move(progress));
    ScanCompletion completion;
    engine.start(&completion);
    completion.waitUntilDone();
    engine.join();
    EngineScan result;
    try {
        result.root = completion.wait();
    } catch (...) {
        result.error = std::current_exception();
    }
    result.totals = engine.totals();
    return result;
}

// Sets the engine's folder hook for the life of the object.
class FolderHook {
public:
    explicit FolderHook(std::function<void(const std::string&)> hook) {
        ScannerEngine::folderHookForTesting() = std::move(hook);
    }
    ~FolderHook() { ScannerEngine::folderHookForTesting() = nullptr; }
    FolderHook(const FolderHook&) = delete;
    FolderHook& operator=(const FolderHook&) = delete;
};

} // namespace plenwick::test
