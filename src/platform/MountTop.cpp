#include "platform/MountTop.h"

#include "base/FileIdentity.h"
#include "base/LongPaths.h"
#include "base/MountTable.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/sysmacros.h>

namespace plenwick {
namespace {

// Far more levels than any real tree has. A walk that goes on longer is being led
// on by someone who keeps putting folders above it: it fails rather than stop short.
constexpr long walkLimit = 1L << 22;

// Whether the folder `top` on `mount` is that mount's root as the mount table names
// it: the table's mount point leads to this very folder on this very mount.
bool isRootOfMount(const MountTop& top, std::string& path) {
    for (const Mount& entry : readMountTable()) {
        if (entry.mountID != top.mount) continue;
        struct statx there {};
        if (::statx(AT_FDCWD, entry.path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                    STATX_INO | STATX_MNT_ID, &there) != 0 ||
            !(there.stx_mask & STATX_MNT_ID))
            return false;
        if (there.stx_mnt_id != top.mount || there.stx_ino != top.st.st_ino ||
            ::makedev(there.stx_dev_major, there.stx_dev_minor) != top.st.st_dev)
            return false;
        path = entry.path;
        return true;
    }
    return false;
}

} // namespace

MountTop findMountTop(int folder) {
    MountTop top;
    top.folder = Descriptor(::openat(folder, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!top.folder || ::fstat(top.folder.get(), &top.st) != 0) top.error = errno;
    else top.error = mountIDOf(top.folder.get(), top.mount);
    if (top.error) return top;
    bool mountChanges = false;
    for (long steps = 0;; ++steps) {
        if (steps == walkLimit) {
            top.unproved = true;
            return top;
        }
        Descriptor up(::openat(top.folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat upStat {};
        std::uint64_t upMount = 0;
        if (!up || ::fstat(up.get(), &upStat) != 0) top.error = errno;
        else top.error = mountIDOf(up.get(), upMount);
        if (top.error) return top;
        if (upMount != top.mount || sameFile(upStat, top.st)) {
            mountChanges = true;
            break;
        }
        if (upStat.st_dev != top.st.st_dev) break;
        top.folder = std::move(up);
        top.st = upStat;
    }
    if (mountChanges) {
        top.unproved = !isRootOfMount(top, top.path);
    } else {
        // A volume's own top: the device proves it; its path is where it is now.
        std::optional<std::string> path = pathOfOpenFolder(top.folder.get());
        if (path) top.path = std::move(*path);
        else top.unproved = true;
    }
    return top;
}

std::string pathBelowTop(const std::string& item, const std::string& topPath) {
    if (topPath == "/") return item.size() > 1 && item[0] == '/' ? item.substr(1) : std::string();
    if (item.size() <= topPath.size() + 1 || item.compare(0, topPath.size(), topPath) != 0 ||
        item[topPath.size()] != '/')
        return {};
    return item.substr(topPath.size() + 1);
}

bool isUsableSharedTrash(const struct stat& shared, const struct stat& top) {
    return S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) && (shared.st_uid == 0 || shared.st_uid == top.st_uid);
}

} // namespace plenwick
