// The size walk of a leftover. Every folder is opened beside its open parent
// (openat with O_NOFOLLOW), never by its path, so a folder swapped for a link after
// it was listed leads nowhere: nothing outside the tree is ever counted. Nor is
// anything on another mount than the leftover's own: the walk stops at mount points,
// bind mounts of the same file system (a bind mount of "/") included.

#include "uninstaller/Remnant.h"

#include "base/FileIdentity.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

namespace plenwick {
namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Folders kept open at once while their subfolders wait. Beyond that the ones nearest
// the top are let go and opened again, name by name from the root, when the walk
// comes back to them: no tree, however deep and bushy, takes the process's descriptors.
constexpr std::size_t maxHeldFolders = 64;

std::int64_t allocatedBytes(const struct stat& st) { return static_cast<std::int64_t>(st.st_blocks) * 512; }

// The mount an entry lies on, as mountIdentity gives it for a descriptor.
std::uint64_t mountOf(const struct statx& sx) {
    if (sx.stx_mask & STATX_MNT_ID) return sx.stx_mnt_id;
    return (std::uint64_t{1} << 63) | makedev(sx.stx_dev_major, sx.stx_dev_minor);
}

// A folder on the way down, with the subfolders it still has to give.
struct Frame {
    int fd = -1;      // -1 while let go
    std::string name; // below the frame before it
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> folders;
};

class Walk {
public:
    Walk(int root, const struct stat& st, std::stop_token stop)
        : anchor_(root), mount_(mountIdentity(root)), stop_(std::move(stop)) {
        Frame frame;
        frame.device = st.st_dev;
        frame.inode = st.st_ino;
        stack_.push_back(std::move(frame));
    }
    ~Walk() {
        for (Frame& frame : stack_) release(frame);
        ::close(anchor_);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    std::int64_t run() {
        stack_.front().fd = ::dup(anchor_);
        if (stack_.front().fd < 0) return 0;
        ++held_;
        read(stack_.front());
        while (!stack_.empty() && !stop_.stop_requested()) {
            Frame& top = stack_.back();
            if (top.folders.empty()) {
                release(top);
                stack_.pop_back();
                continue;
            }
            const int parent = descriptor(stack_.size() - 1);
            if (parent < 0) {
                top.folders.clear(); // gone or replaced: the rest of it is not counted
                continue;
            }
            Frame child;
            child.name = std::move(top.folders.back());
            top.folders.pop_back();
            child.fd = ::openat(parent, child.name.c_str(), folderFlags);
            // A folder with nothing more to give needs no descriptor any longer.
            if (top.folders.empty()) release(top);
            if (child.fd < 0) continue;
            ++held_;
            struct stat st;
            // Mounted there since it was listed: not entered.
            if (::fstat(child.fd, &st) != 0 || mountIdentity(child.fd) != mount_) {
                release(child);
                continue;
            }
            child.device = st.st_dev;
            child.inode = st.st_ino;
            read(child);
            if (child.folders.empty()) {
                release(child);
                continue;
            }
            stack_.push_back(std::move(child));
            makeRoom();
        }
        return total_;
    }

private:
    void release(Frame& frame) {
        if (frame.fd < 0) return;
        ::close(frame.fd);
        frame.fd = -1;
        --held_;
    }

    // Lets the frame nearest the root go while too many are held; never the top one.
    void makeRoom() {
        for (std::size_t i = 0; held_ > maxHeldFolders && i + 1 < stack_.size(); ++i) release(stack_[i]);
    }

    // Adds up the folder's non-folder entries and notes its real subfolders (not links),
    // those on the walk's own mount only.
    void read(Frame& frame) {
        const int listing = ::dup(frame.fd);
        if (listing < 0) return;
        DIR* dir = ::fdopendir(listing);
        if (!dir) {
            ::close(listing);
            return;
        }
        while (const dirent* entry = ::readdir(dir)) {
            if (stop_.stop_requested()) break;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct statx child {};
            if (::statx(frame.fd, entry->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                        STATX_TYPE | STATX_BLOCKS | STATX_MNT_ID, &child) != 0 ||
                mountOf(child) != mount_)
                continue;
            if (S_ISDIR(child.stx_mode)) frame.folders.emplace_back(name);
            else total_ += static_cast<std::int64_t>(child.stx_blocks) * 512;
        }
        ::closedir(dir);
    }

    // The descriptor of the frame at `index`, opened again when it was let go: name by
    // name from the nearest open frame before it (or the root), no link followed, and
    // only while it is still the same folder.
    int descriptor(std::size_t index) {
        Frame& frame = stack_[index];
        if (frame.fd >= 0) return frame.fd;
        std::size_t from = index;
        while (from > 0 && stack_[from - 1].fd < 0) --from;
        int current = from == 0 ? ::dup(anchor_) : stack_[from - 1].fd;
        bool owned = from == 0;
        for (std::size_t i = std::max<std::size_t>(from, 1); i <= index && current >= 0; ++i) {
            const int next = ::openat(current, stack_[i].name.c_str(), folderFlags);
            if (owned) ::close(current);
            current = next;
            owned = true;
        }
        if (current < 0) return -1;
        struct stat st;
        if (!owned || ::fstat(current, &st) != 0 || st.st_dev != frame.device || st.st_ino != frame.inode) {
            if (owned) ::close(current);
            return -1;
        }
        frame.fd = current;
        ++held_;
        makeRoom();
        return current;
    }

    int anchor_; // the root, open throughout
    std::uint64_t mount_; // the root's
    std::stop_token stop_;
    std::vector<Frame> stack_;
    std::size_t held_ = 0;
    std::int64_t total_ = 0;
};

} // namespace

std::int64_t allocatedSize(const std::string& path, std::stop_token stop) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return 0;
    if (!S_ISDIR(st.st_mode)) return allocatedBytes(st);
    const int root = ::open(path.c_str(), folderFlags);
    if (root < 0) return 0;
    struct stat opened;
    if (::fstat(root, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        ::close(root); // replaced since it was looked at
        return 0;
    }
    return Walk(root, opened, std::move(stop)).run();
}

} // namespace plenwick
