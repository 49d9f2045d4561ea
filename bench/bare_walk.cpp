// plenwick-bare-walk PATH [--workers N]: the floor the scanner is measured against.
// Walks PATH on N threads with the least work a complete scan needs and keeps no
// tree, only totals:
//   - every folder is listed with getdents64 and opened once, with openat relative
//     to its parent's descriptor (one component, no path is ever resolved twice);
//   - only non-folders are given a statx by name; a folder's facts (its mount, to
//     stay on the scanned one) come from statx of its descriptor;
//   - each worker walks depth-first on a stack of its own, one entry per listed
//     folder holding that folder's descriptor and the names of its sub-folders; the
//     descriptor is closed as soon as its last sub-folder is open, so a chain of any
//     depth holds two descriptors;
//   - a worker hands work over only when another is idle: the oldest (highest, so
//     largest) entry of its stack, or half the names of its only entry.

#include "BenchCommon.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_MTIME | STATX_SIZE | STATX_BLOCKS;

// A listed folder: its descriptor and the names of its sub-folders, shared by the
// stack entries that still have some of them to open; closed with the last entry.
struct Listed {
    int fd;
    std::string names;                  // each name ends in a zero byte
    std::vector<std::uint32_t> offsets; // where each name starts
    std::atomic<int> users{1};
    void release() {
        if (users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            ::close(fd);
            delete this;
        }
    }
};

// Sub-folders still to open below one listed folder: its names [next, end).
struct Entry {
    Listed* folder = nullptr; // null for the scan root itself
    std::uint32_t next = 0, end = 0;
};

// The volume that was scanned.
struct Volume {
    std::uint64_t mountID = 0;
    std::uint64_t device = 0;
    bool hasMountID = false;
    bool holds(const struct statx& st) const {
        if (hasMountID && (st.stx_mask & STATX_MNT_ID)) return st.stx_mnt_id == mountID;
        return makedev(st.stx_dev_major, st.stx_dev_minor) == device;
    }
};

class Walk {
public:
    Walk(unsigned workers, Volume volume) : workers_(workers), volume_(volume) {}

    void start(int rootFd) {
        shared_.push_back({});
        rootFd_ = rootFd;
    }

    void work() {
        Worker w;
        w.buffer = std::make_unique<char[]>(kBufferSize);
        for (;;) {
            if (w.stack.empty() && !takeShared(w)) break;
            Entry& top = w.stack.back();
            int fd;
            if (!top.folder) { // the root
                fd = rootFd_;
                w.stack.pop_back();
            } else {
                fd = ::openat(top.folder->fd, top.folder->names.data() + top.folder->offsets[top.next], kFolderFlags);
                if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
                    std::fprintf(stderr, "plenwick-bare-walk: out of descriptors\n");
                    std::_Exit(1);
                }
                if (++top.next == top.end) {
                    top.folder->release();
                    w.stack.pop_back();
                }
            }
            if (fd >= 0) visit(w, fd);
            if (idle_.load(std::memory_order_relaxed) > 0) share(w);
        }
        std::lock_guard lock(mutex_);
        files_ += w.files;
        dirs_ += w.dirs;
        bytes_ += w.bytes;
    }

    std::int64_t files() const { return files_; }
    std::int64_t dirs() const { return dirs_; }
    std::int64_t bytes() const { return bytes_; }

private:
    struct Worker {
        std::vector<Entry> stack;
        std::unique_ptr<char[]> buffer;
        std::int64_t files = 0, dirs = 0, bytes = 0;
    };

    void visit(Worker& w, int fd) {
        struct statx st;
        if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID | STATX_MTIME, &st) != 0 ||
            !volume_.holds(st)) {
            ::close(fd);
            return;
        }
        ++w.dirs;
        Listed* sub = nullptr;
        char* buffer = w.buffer.get();
        for (;;) {
            const ssize_t n = ::getdents64(fd, buffer, kBufferSize);
            if (n <= 0) break;
            for (ssize_t offset = 0; offset < n;) {
                auto* e = reinterpret_cast<const dirent64*>(buffer + offset);
                offset += e->d_reclen;
                const char* name = e->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                if (e->d_type != DT_DIR) {
                    if (::statx(fd, name, kStatxFlags, kStatxMask, &st) != 0) continue;
                    if (!S_ISDIR(st.stx_mode)) {
                        ++w.files;
                        w.bytes += static_cast<std::int64_t>(st.stx_blocks) * 512;
                        continue;
                    }
                }
                if (!sub) sub = new Listed{fd, {}, {}};
                sub->offsets.push_back(static_cast<std::uint32_t>(sub->names.size()));
                sub->names.append(name, std::strlen(name) + 1);
            }
        }
        if (!sub) {
            ::close(fd);
            return;
        }
        w.stack.push_back({sub, 0, static_cast<std::uint32_t>(sub->offsets.size())});
    }

    // Waits for work from the others; false once every worker is idle.
    bool takeShared(Worker& w) {
        std::unique_lock lock(mutex_);
        idle_.store(idle_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        for (;;) {
            if (!shared_.empty()) {
                w.stack.push_back(std::move(shared_.back()));
                shared_.pop_back();
                idle_.store(idle_.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
                return true;
            }
            if (idle_.load(std::memory_order_relaxed) == workers_) {
                wake_.notify_all();
                return false;
            }
            wake_.wait(lock);
        }
    }

    // Gives the oldest entry of the stack, or half of the only one, to an idle worker
    // that has not been given anything yet.
    void share(Worker& w) {
        if (w.stack.empty() || (w.stack.size() == 1 && w.stack[0].end - w.stack[0].next < 2)) return;
        {
            std::lock_guard lock(mutex_);
            if (shared_.size() >= idle_.load(std::memory_order_relaxed)) return;
            if (w.stack.size() > 1) {
                shared_.push_back(w.stack.front());
                w.stack.erase(w.stack.begin());
            } else {
                Entry& only = w.stack[0];
                const std::uint32_t middle = only.next + (only.end - only.next) / 2;
                only.folder->users.fetch_add(1, std::memory_order_relaxed);
                shared_.push_back({only.folder, middle, only.end});
                only.end = middle;
            }
        }
        wake_.notify_one();
    }

    const unsigned workers_;
    const Volume volume_;
    int rootFd_ = -1;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Entry> shared_;
    std::atomic<unsigned> idle_{0};
    std::int64_t files_ = 0, dirs_ = 0, bytes_ = 0;
};

// Allow as many descriptors as the hard limit does (the scanner raises its limit too).
void raiseOpenFileLimit() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv) {
    using namespace plenwick::bench;
    WalkArguments args = parseWalkArguments(argc, argv, "plenwick-bare-walk");
    unsigned workers = args.workers > 0 ? static_cast<unsigned>(args.workers) : plenwick::availableProcessors();
    raiseOpenFileLimit();

    const double cpuBefore = processorSeconds();
    auto start = std::chrono::steady_clock::now();
    int rootFd = open(args.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        std::perror(args.path);
        return 1;
    }
    struct statx st;
    if (statx(rootFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &st) != 0) {
        std::perror(args.path);
        return 1;
    }
    Volume volume{st.stx_mnt_id, makedev(st.stx_dev_major, st.stx_dev_minor), (st.stx_mask & STATX_MNT_ID) != 0};
    Walk walk(workers, volume);
    walk.start(rootFd);
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 0; i < workers; ++i) threads.emplace_back([&] { walk.work(); });
    }
    double seconds = secondsSince(start);
    const double cpuSeconds = processorSeconds() - cpuBefore;

    ResultLine line;
    line.add("files", walk.files());
    line.add("dirs", walk.dirs());
    line.add("bytes", walk.bytes());
    line.add("seconds", seconds);
    line.add("cpu_seconds", cpuSeconds);
    line.print();
    return 0;
}
