// plenwick-bare-walk PATH [--workers N]: the yardstick for the scanner. Walks PATH
// on N threads with the same system calls the scanner makes (getdents64, then statx
// relative to the folder's descriptor) but keeps no tree, only totals.
//
// Folders wait on one shared stack as open descriptors, so a worker never resolves
// a path; taking the newest first keeps the stack (and the open descriptors) small.
// A worker keeps one sub-folder of each folder for itself and shares the rest.

#include "BenchCommon.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_MNT_ID;

class Walk {
public:
    explicit Walk(int rootFd) { pending_.push_back(rootFd); }

    void work() {
        auto buffer = std::make_unique<char[]>(kBufferSize);
        std::vector<int> found;
        std::int64_t files = 0, dirs = 0;
        int fd = take(false);
        while (fd >= 0) {
            ++dirs;
            list(fd, buffer.get(), found, files);
            close(fd);
            if (found.empty()) {
                fd = take(true);
            } else {
                fd = found.back();
                found.pop_back();
                share(found);
            }
        }
        std::lock_guard lock(mutex_);
        files_ += files;
        dirs_ += dirs;
    }

    std::int64_t files() const { return files_; }
    std::int64_t dirs() const { return dirs_; }

private:
    static void list(int dirFd, char* buffer, std::vector<int>& found, std::int64_t& files) {
        struct statx st;
        for (;;) {
            ssize_t n = getdents64(dirFd, buffer, kBufferSize);
            if (n <= 0) return;
            for (ssize_t offset = 0; offset < n;) {
                auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
                offset += entry->d_reclen;
                const char* name = entry->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                if (statx(dirFd, name, kStatxFlags, kStatxMask, &st) != 0) continue;
                if (!S_ISDIR(st.stx_mode)) {
                    ++files;
                    continue;
                }
                int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fd >= 0) found.push_back(fd);
            }
        }
    }

    // The next folder to list, or -1 once every folder is done. `finishedOne` says
    // the caller has just finished the folder it was working on.
    int take(bool finishedOne) {
        std::unique_lock lock(mutex_);
        if (finishedOne) --busy_;
        for (;;) {
            if (!pending_.empty()) {
                int fd = pending_.back();
                pending_.pop_back();
                ++busy_;
                return fd;
            }
            if (busy_ == 0) {
                wake_.notify_all();
                return -1;
            }
            wake_.wait(lock);
        }
    }

    // Hands folders to the others; the caller goes on with the one it kept.
    void share(std::vector<int>& found) {
        if (found.empty()) return;
        {
            std::lock_guard lock(mutex_);
            pending_.insert(pending_.end(), found.begin(), found.end());
        }
        found.size() == 1 ? wake_.notify_one() : wake_.notify_all();
        found.clear();
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<int> pending_;
    unsigned busy_ = 0;
    std::int64_t files_ = 0;
    std::int64_t dirs_ = 0;
};

// Queued folders are open descriptors; allow as many as the hard limit does.
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

    auto start = std::chrono::steady_clock::now();
    int rootFd = open(args.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        std::perror(args.path);
        return 1;
    }
    Walk walk(rootFd);
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 0; i < workers; ++i) threads.emplace_back([&] { walk.work(); });
    }
    double seconds = secondsSince(start);

    ResultLine line;
    line.add("files", walk.files());
    line.add("dirs", walk.dirs());
    line.add("seconds", seconds);
    line.print();
    return 0;
}
