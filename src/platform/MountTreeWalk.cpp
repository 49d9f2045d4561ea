#include "platform/MountTreeWalk.h"

#include "base/Descriptor.h"
#include "base/FileIdentity.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace plenwick {
namespace {

constexpr int readFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// A folder on the way down: the names of its folders left to visit, and what it is,
// to check that ".." leads back to it.
struct Level {
    std::vector<std::string> folders;
    std::size_t next = 0;
    dev_t device = 0;
    ino_t inode = 0;
};

} // namespace

int walkWithinMount(int top, std::uint64_t mount, const MountTreeWalk& walk) {
    int firstError = 0;
    // Notes an error; true when the walk ends with it.
    const auto failed = [&](int error) {
        if (error && !firstError) firstError = error;
        return error != 0 && walk.stopAtFirstError;
    };
    // Opens `fd` for reading as the folder of a new level, on `mount` only.
    const auto enter = [&](Descriptor fd, std::vector<Level>& levels, Descriptor& current) {
        struct stat st {};
        std::uint64_t there = 0;
        if (!fd || ::fstat(fd.get(), &st) != 0) return failed(errno);
        if (const int error = mountIDOf(fd.get(), there)) return failed(error);
        if (there != mount) return failed(EXDEV);
        Level level;
        level.device = st.st_dev;
        level.inode = st.st_ino;
        // Everything but folders is visited while listing; folders wait their turn.
        Descriptor copy(::openat(fd.get(), ".", readFolderFlags));
        DIR* dir = copy ? ::fdopendir(copy.get()) : nullptr;
        if (!dir) return failed(errno);
        copy.release();
        bool stop = false;
        while (!stop) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                stop = failed(errno);
                break;
            }
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            struct statx sx {};
            if (::statx(::dirfd(dir), entry->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID,
                        &sx) != 0) {
                stop = failed(errno);
                continue;
            }
            if (!(sx.stx_mask & STATX_MNT_ID)) stop = failed(ENOSYS);
            else if (sx.stx_mnt_id != mount) stop = failed(EXDEV); // a mount point: never entered
            else if (S_ISDIR(sx.stx_mode)) level.folders.emplace_back(name);
            else if (walk.entry) stop = failed(walk.entry(::dirfd(dir), entry->d_name));
        }
        ::closedir(dir);
        current = std::move(fd);
        levels.push_back(std::move(level));
        return stop;
    };

    std::vector<Level> levels;
    Descriptor current;
    if (enter(Descriptor(::openat(top, ".", readFolderFlags)), levels, current)) return firstError;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next < level.folders.size()) {
            const std::string& name = level.folders[level.next++];
            Descriptor child(::openat(current.get(), name.c_str(), readFolderFlags | O_NOFOLLOW));
            if (!child) {
                if (failed(errno)) return firstError;
                continue;
            }
            Descriptor parent = std::move(current);
            if (enter(std::move(child), levels, current)) return firstError;
            if (!current) current = std::move(parent); // not entered: the walk stays here
            continue;
        }
        if (walk.leaveFolder && failed(walk.leaveFolder(current.get()))) return firstError;
        levels.pop_back();
        if (levels.empty()) break;
        // Back up through "..": only to the very folder the walk came down from.
        Descriptor up(::openat(current.get(), "..", readFolderFlags));
        struct stat st {};
        if (!up || ::fstat(up.get(), &st) != 0 || st.st_dev != levels.back().device ||
            st.st_ino != levels.back().inode) {
            failed(ESTALE);
            return firstError;
        }
        current = std::move(up);
    }
    return firstError;
}

} // namespace plenwick
