#include "app/RescanTarget.h"

#include "base/PathNames.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace plenwick {

namespace {

struct Status {
    mode_t mode = 0;
    FolderVolume volume;
    std::int64_t blocks = 0;
    std::int64_t size = 0;
    double modified = 0;
};

// 0, or the error number.
int statusOf(const std::string& path, bool followLinks, Status& out) {
    struct statx stx;
    stx.stx_mask = 0;
    const int flags = AT_STATX_SYNC_AS_STAT | (followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
    if (::statx(AT_FDCWD, path.c_str(), flags,
                STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BLOCKS | STATX_MTIME | STATX_MNT_ID, &stx) != 0)
        return errno;
    out.mode = stx.stx_mode;
    out.volume.device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    if (stx.stx_mask & STATX_MNT_ID) out.volume.mountID = stx.stx_mnt_id;
    out.blocks = static_cast<std::int64_t>(stx.stx_blocks);
    out.size = static_cast<std::int64_t>(stx.stx_size);
    out.modified = static_cast<double>(stx.stx_mtime.tv_sec) + static_cast<double>(stx.stx_mtime.tv_nsec) / 1e9;
    return 0;
}

bool isMissing(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

} // namespace

bool FolderVolume::sameVolume(const FolderVolume& other) const noexcept {
    if (mountID && other.mountID) return *mountID == *other.mountID;
    return device == other.device;
}

std::optional<FolderVolume> volumeOfScanTarget(const std::string& path) {
    Status status;
    if (statusOf(path, true, status) != 0) return std::nullopt;
    return status.volume;
}

RescanTarget probeRescanTarget(const std::string& rootPath, const std::string& folderPath,
                               const std::optional<FolderVolume>& rootVolume, bool crossVolumes) {
    const std::string root = normalizedPathOrSelf(rootPath);
    const std::string folder = normalizedPathOrSelf(folderPath);
    RescanTarget target;
    const bool below = root == "/" ? folder.size() > 1 : folder.size() > root.size() && folder.starts_with(root) &&
                                                              folder[root.size()] == '/';
    if (!below) return target;

    // Every folder on the way, and the folder itself, as they are now.
    Status status;
    std::size_t end = root == "/" ? 0 : root.size();
    for (;;) {
        end = folder.find('/', end + 1);
        const bool last = end == std::string::npos;
        const std::string step = last ? folder : folder.substr(0, end);
        if (const int error = statusOf(step, false, status)) {
            if (isMissing(error)) return target;
            target.kind = RescanTarget::Kind::folder; // the scanner says what is wrong
            return target;
        }
        if (last) break;
        if (!S_ISDIR(status.mode)) return target; // a link or a file has taken a folder's place
    }

    if (S_ISDIR(status.mode)) {
        if (!crossVolumes && rootVolume && !status.volume.sameVolume(*rootVolume)) return target;
        target.kind = RescanTarget::Kind::folder;
        return target;
    }
    // Counted as a scan counts a listed entry: its own allocated and logical size.
    target.kind = RescanTarget::Kind::leaf;
    target.leaf = FileNode::make(lastPathComponent(folder),
                                 S_ISLNK(status.mode) ? FileNode::Kind::symlink : FileNode::Kind::file,
                                 std::max<std::int64_t>(0, status.blocks * 512), std::max<std::int64_t>(0, status.size),
                                 1, status.modified);
    return target;
}

} // namespace plenwick
