#include "platform/AdminTrashMove.h"

#include "base/FolderResolver.h"
#include "base/Descriptor.h"
#include "base/FileIdentity.h"
#include "platform/MountTop.h"
#include "platform/MountTreeWalk.h"
#include "platform/Trash.h"
#include "platform/TrashFiles.h"
#include "platform/TrashFolders.h"
#include "platform/TrashName.h"
#include "platform/UserFileIds.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <string_view>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The names of an absolute path; none when a name is empty, "." or "..".
bool splitAbsolute(const std::string& path, std::vector<std::string_view>& names) {
    names.clear();
    if (path.size() < 2 || path[0] != '/') return false;
    std::size_t pos = 1;
    for (;;) {
        const std::size_t slash = path.find('/', pos);
        const std::string_view name(path.data() + pos, (slash == std::string::npos ? path.size() : slash) - pos);
        if (name.empty() || name == "." || name == "..") return false;
        names.push_back(name);
        if (slash == std::string::npos) return true;
        pos = slash + 1;
    }
}

// The folder at `names` below `root`, no link followed; `root` itself for no names.
Descriptor openBelow(int root, std::span<const std::string_view> names) {
    if (names.empty()) return Descriptor(::openat(root, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return Descriptor(FolderResolver::open(root, names));
}


// The folder `name` in `parent`, a real folder belonging to `uid`; with `create`, made
// 0700 as the user when missing, so it is born the user's: a folder found by the name
// (whatever was swapped in for it) is only ever checked, never handed over. -1 with
// errno set otherwise.
Descriptor userFolder(int parent, const char* name, uid_t uid, gid_t gid, bool create) {
    if (create) {
        const UserFileIds asUser(uid, gid);
        if (!asUser) {
            errno = EPERM;
            return {};
        }
        if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return {};
    }
    Descriptor fd(::openat(parent, name, folderFlags));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return {};
    if (st.st_uid != uid) {
        errno = EACCES;
        return {};
    }
    return fd;
}

struct TrashTarget {
    Descriptor files, info;
    std::uint64_t mount = 0;
    dev_t device = 0;
    std::string topPath; // the mount's top; empty for the home trash
    int error = 0;
    bool topUnproved = false; // no Trash: the mount's top could not be confirmed
};

// The files and info folders of the Trash at `root`; `rootError` when there is none.
TrashTarget openTrash(Descriptor root, int rootError, uid_t uid, gid_t gid, bool create) {
    TrashTarget target;
    target.error = rootError;
    if (!root) return target;
    target.files = userFolder(root.get(), "files", uid, gid, create);
    if (target.files) target.info = userFolder(root.get(), "info", uid, gid, create);
    struct stat st {};
    if (!target.info || ::fstat(target.files.get(), &st) != 0) target.error = errno;
    else target.error = mountIDOf(target.files.get(), target.mount);
    target.device = st.st_dev;
    return target;
}

TrashTarget openHomeTrash(int slash, const std::string& path, uid_t uid, gid_t gid) {
    std::vector<std::string_view> names;
    if (!splitAbsolute(path, names)) return openTrash({}, EINVAL, uid, gid, false);
    Descriptor root = openBelow(slash, names);
    if (!root) return openTrash({}, errno, uid, gid, false);
    struct stat st {};
    if (::fstat(root.get(), &st) != 0) return openTrash({}, errno, uid, gid, false);
    if (st.st_uid != uid) return openTrash({}, EACCES, uid, gid, false);
    return openTrash(std::move(root), 0, uid, gid, false);
}

// The Trash of the mount holding `folder`, at the mount's top: $topdir/.Trash/$uid
// where the shared .Trash may be used, else $topdir/.Trash-$uid.
TrashTarget openMountTrash(int folder, uid_t uid, gid_t gid) {
    MountTop top = findMountTop(folder);
    TrashTarget failed;
    failed.error = top.error;
    failed.topUnproved = !top.error && top.unproved;
    if (!top) return failed;
    const std::string uidName = std::to_string(uid);
    const auto trashIn = [&](int parent, const std::string& name) {
        Descriptor root = userFolder(parent, name.c_str(), uid, gid, true);
        const int error = root ? 0 : errno;
        return openTrash(std::move(root), error, uid, gid, true);
    };
    TrashTarget target;
    target.error = ENOENT;
    Descriptor shared(::openat(top.folder.get(), ".Trash", folderFlags));
    struct stat sharedStat {};
    if (shared && ::fstat(shared.get(), &sharedStat) == 0 && isUsableSharedTrash(sharedStat, top.st))
        target = trashIn(shared.get(), uidName);
    if (target.error) target = trashIn(top.folder.get(), ".Trash-" + uidName);
    target.topPath = std::move(top.path);
    return target;
}

// Gives the entry `fd` (opened O_PATH) to the user: a plain file only while it has no
// other name anywhere, a link as itself, anything else (devices, FIFOs, sockets) never.
int giveEntryToUser(int fd, const struct stat& st, uid_t uid, gid_t gid) {
    const bool handOver = S_ISLNK(st.st_mode) || (S_ISREG(st.st_mode) && st.st_nlink == 1);
    if (!handOver) return 0;
    return ::fchownat(fd, "", uid, gid, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// Gives `fd` (opened O_PATH, on `mount`) to the user: a folder with everything below
// it on its mount, bottom up, each entry reopened from its opened folder without
// following links. Returns the first failure; EXDEV when a mount lies inside.
int giveToUser(int fd, const struct stat& st, std::uint64_t mount, uid_t uid, gid_t gid) {
    if (!S_ISDIR(st.st_mode)) return giveEntryToUser(fd, st, uid, gid);
    MountTreeWalk walk;
    walk.entry = [&](int folder, const char* name) {
        Descriptor entry(::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat es {};
        std::uint64_t there = 0;
        if (!entry || ::fstat(entry.get(), &es) != 0) return errno;
        if (const int error = mountIDOf(entry.get(), there)) return error;
        if (there != mount) return EXDEV;
        return giveEntryToUser(entry.get(), es, uid, gid);
    };
    walk.leaveFolder = [&](int folder) { return ::fchown(folder, uid, gid) == 0 ? 0 : errno; };
    return walkWithinMount(fd, mount, walk);
}

// Whether the folder `fd` holds anything of another mount: 0 when it does not, EXDEV
// when it does, another errno when that could not be told.
int mountInside(int fd, std::uint64_t mount) {
    MountTreeWalk walk;
    walk.stopAtFirstError = true;
    return walkWithinMount(fd, mount, walk);
}

class AdminMover {
public:
    AdminMover(const std::string& homeTrash, uid_t uid, gid_t gid, const AdminTrashMoveOptions& options)
        : homeTrashPath_(homeTrash), uid_(uid), gid_(gid), options_(options),
          slash_(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

    AdminTrashMoveResult move(const std::string& path) {
        if (!slash_) return {errno, 0};
        std::vector<std::string_view> names;
        if (!splitAbsolute(path, names)) return {EINVAL, 0};
        if (isPartOfTrash(path, homeTrashPath_)) return {EINVAL, 0};
        const std::span<const std::string_view> folderNames(names.data(), names.size() - 1);
        const std::string name(names.back());
        Descriptor folder = openBelow(slash_.get(), folderNames);
        if (!folder) return {errno, 0};

        Descriptor item(::openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        std::uint64_t mount = 0, folderMount = 0;
        if (!item || ::fstat(item.get(), &st) != 0) return {errno, 0};
        // A unit's own file is stopped first; a link there is another unit's name (an
        // alias, a mask): stopping it would stop that unit.
        const std::string_view folderPath(path.data(), path.size() - name.size() - 1);
        if (options_.stopUnit && S_ISREG(st.st_mode) && nameExtension(name) == "service" &&
            folderPath == options_.unitFolder)
            options_.stopUnit(path);
        if (const int error = mountIDOf(item.get(), mount)) return {error, 0};
        if (const int error = mountIDOf(folder.get(), folderMount)) return {error, 0};
        if (mount != folderMount) return {EXDEV, 0}; // a mount point itself

        TrashTarget* trash = trashFor(folder.get(), {mount, st.st_dev});
        if (trash->topUnproved) return unprovedTop();
        if (trash->error) return {trash->error, 0};
        if (trash->mount != mount || trash->device != st.st_dev) return {EXDEV, 0};
        // A folder holding a mount point is not moved: emptying the Trash would then
        // remove what the mount shows from wherever it lives.
        if (S_ISDIR(st.st_mode)) {
            if (const int error = mountInside(item.get(), mount)) return {error, 0, error == EXDEV};
        }

        // A mount's Trash records paths from the mount's top.
        const std::string pathInInfo = trash == &home_ ? path : pathBelowTop(path, trash->topPath);
        if (pathInInfo.empty()) return unprovedTop();
        const std::string info = trashInfoText(pathInInfo, static_cast<long long>(std::time(nullptr)));

        int error = 0;
        const auto taken = takeFreeTrashName(name, [&](const std::string& candidate) {
            const std::string infoName = candidate + ".trashinfo";
            // Born the user's, as the Trash folders are.
            Descriptor infoFile;
            {
                const UserFileIds asUser(uid_, gid_);
                if (!asUser) {
                    error = EPERM;
                    return true;
                }
                infoFile = Descriptor(::openat(trash->info.get(), infoName.c_str(),
                                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            }
            if (!infoFile) {
                if (errno == EEXIST) return false;
                error = errno;
                return true;
            }
            if (!writeAll(infoFile.get(), info)) {
                error = errno;
                ::unlinkat(trash->info.get(), infoName.c_str(), 0);
                return true;
            }
            const int moved =
                moveWithoutReplacing(folder.get(), name, trash->files.get(), candidate, S_ISDIR(st.st_mode));
            if (moved == 0) {
                struct stat there {};
                // The entry moved must be the item opened; anything swapped in meanwhile is
                // not handed over.
                if (::fstatat(trash->files.get(), candidate.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
                    !sameFile(there, st))
                    error = ESTALE;
                return true;
            }
            ::unlinkat(trash->info.get(), infoName.c_str(), 0);
            if (moved == EEXIST) return false;
            error = moved;
            return true;
        });
        if (!taken) return {EEXIST, 0};
        if (error) return {error, 0};
        const int ownershipError = giveToUser(item.get(), st, mount, uid_, gid_);
        return {0, ownershipError, ownershipError == EXDEV};
    }

private:
    // Trashes by the mount and the device their items lie on.
    using Volume = std::pair<std::uint64_t, dev_t>;

    static AdminTrashMoveResult unprovedTop() {
        AdminTrashMoveResult result;
        result.error = EXDEV;
        result.mountTopUnproved = true;
        return result;
    }

    TrashTarget* trashFor(int folder, const Volume& volume) {
        if (!homeOpened_) {
            home_ = openHomeTrash(slash_.get(), homeTrashPath_, uid_, gid_);
            homeOpened_ = true;
        }
        // Without the home trash nothing moves: an item is never sent elsewhere for it.
        if (home_.error || Volume{home_.mount, home_.device} == volume) return &home_;
        auto found = mounts_.find(volume);
        if (found == mounts_.end()) found = mounts_.emplace(volume, openMountTrash(folder, uid_, gid_)).first;
        return &found->second;
    }

    std::string homeTrashPath_;
    uid_t uid_;
    gid_t gid_;
    const AdminTrashMoveOptions& options_;
    Descriptor slash_;
    bool homeOpened_ = false;
    TrashTarget home_;
    std::map<Volume, TrashTarget> mounts_;
};

} // namespace

std::vector<AdminTrashMoveResult> moveToTrashAsAdministrator(const std::string& homeTrash,
                                                             const std::vector<std::string>& items, uid_t uid,
                                                             gid_t gid, const AdminTrashMoveOptions& options) {
    AdminMover mover(homeTrash, uid, gid, options);
    std::vector<AdminTrashMoveResult> results;
    results.reserve(items.size());
    for (const std::string& item : items) results.push_back(mover.move(item));
    return results;
}

} // namespace plenwick
