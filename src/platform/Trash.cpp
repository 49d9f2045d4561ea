#include "platform/Trash.h"

#include "base/CreateFolders.h"
#include "base/Descriptor.h"
#include "base/FileIdentity.h"
#include "base/HomeDirectory.h"
#include "base/LongPaths.h"
#include "base/MountTable.h"
#include "base/PathNames.h"
#include "platform/MountTop.h"
#include "platform/TrashErrors.h"
#include "platform/TrashFiles.h"
#include "platform/TrashFolders.h"
#include "platform/TrashName.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace plenwick {
namespace {

[[noreturn]] void fail(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

// The folder `name` in `parent`, created 0700 when missing: a real folder, never a
// link, and with `owner` one that belongs to that user.
Descriptor privateFolder(int parent, const std::string& name, std::optional<uid_t> owner) {
    if (::mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) fail(errno, "mkdir");
    Descriptor fd(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) fail(errno == ELOOP ? ENOTDIR : errno, "trash folder");
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) fail(errno, "trash folder");
    if (owner && st.st_uid != *owner) fail(EACCES, "trash folder");
    return fd;
}

// A Trash opened for one move: its folders as descriptors, its path for the result.
struct OpenTrash {
    std::string path;
    std::string topdir; // empty for the home trash
    Descriptor files, info;
};

OpenTrash openTrash(int parent, const std::string& name, std::string path, std::string topdir,
                    std::optional<uid_t> owner) {
    const Descriptor root = privateFolder(parent, name, owner);
    OpenTrash trash{std::move(path), std::move(topdir), {}, {}};
    trash.files = privateFolder(root.get(), "files", owner);
    trash.info = privateFolder(root.get(), "info", owner);
    return trash;
}

OpenTrash openHomeTrash() {
    const std::string data = xdgDataHome();
    if (const int error = createFolders(data)) fail(error, "mkdir");
    const Descriptor folder(::open(data.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder) fail(errno, "open");
    return openTrash(folder.get(), "Trash", data + "/Trash", {}, std::nullopt);
}

// The Trash of the mount holding the open folder `folder`: at the mount's top,
// $topdir/.Trash/$uid where the shared .Trash may be used, else $topdir/.Trash-$uid.
OpenTrash openMountTrash(int folder) {
    const MountTop top = findMountTop(folder);
    if (top.error) fail(top.error, "mount top");
    if (top.unproved) throw std::system_error(trashRefusalError(TrashRefusal::mountTopUnproved), "mount top");
    const std::string base = top.path == "/" ? "" : top.path;
    const uid_t uid = ::getuid();
    const std::string uidName = std::to_string(uid);
    const Descriptor shared(::openat(top.folder.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat sharedStat {};
    if (shared && ::fstat(shared.get(), &sharedStat) == 0 && isUsableSharedTrash(sharedStat, top.st)) {
        try {
            return openTrash(shared.get(), uidName, base + "/.Trash/" + uidName, top.path, uid);
        } catch (const std::system_error&) {
            // the per-user folder below
        }
    }
    return openTrash(top.folder.get(), ".Trash-" + uidName, base + "/.Trash-" + uidName, top.path, uid);
}

// Whether a mount point lies anywhere below the folder at `path` (resolved), by the
// mount table: such a folder stays, or emptying the Trash would remove what the
// mount shows from wherever it lives. A table that can't be read whole (a descriptor
// limit, say) proves nothing: the move fails with its errno.
bool holdsMountPoint(const std::string& path) {
    const std::optional<std::vector<Mount>> table = readWholeMountTable();
    if (!table) fail(errno, "mountinfo");
    const std::string prefix = path == "/" ? path : path + "/";
    for (const Mount& mount : *table)
        if (mount.path.size() > prefix.size() && mount.path.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

std::string percentEncoded(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) out += static_cast<char>(c);
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// Reserves a free name in `trash` for the item: writes its .trashinfo (`info`)
// exclusively, skipping names taken in files/ or info/. Returns the name.
std::string reserveName(const OpenTrash& trash, const std::string& name, const std::string& info) {
    const auto reserved = takeFreeTrashName(name, [&](const std::string& candidate) {
        struct stat st {};
        if (::fstatat(trash.files.get(), candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
        const std::string infoName = candidate + ".trashinfo";
        Descriptor fd(::openat(trash.info.get(), infoName.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) {
            if (errno == EEXIST) return false;
            fail(errno, "trashinfo");
        }
        if (!writeAll(fd.get(), info)) {
            const int error = errno;
            ::unlinkat(trash.info.get(), infoName.c_str(), 0);
            fail(error, "trashinfo");
        }
        return true;
    });
    if (!reserved) fail(EEXIST, "trash name");
    return *reserved;
}

void releaseName(const OpenTrash& trash, const std::string& name) {
    ::unlinkat(trash.info.get(), (name + ".trashinfo").c_str(), 0);
}

} // namespace

std::string canonicalItemPath(const std::string& path) {
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::string folderPath = parentPath(trimmed);
    std::string result;
    if (char* folder = realpath(folderPath.c_str(), nullptr)) {
        result = folder;
        std::free(folder);
    } else {
        if (errno != ENAMETOOLONG) fail(errno, "realpath");
        // Too long for the kernel at once: resolved by descriptors.
        const Descriptor fd(openFolderAnyLength(folderPath));
        std::optional<std::string> found = fd ? pathOfOpenFolder(fd.get()) : std::nullopt;
        if (!found) fail(errno, "realpath");
        result = std::move(*found);
    }
    if (result != "/") result += '/';
    return result + lastPathComponent(trimmed);
}

std::string trashInfoText(const std::string& pathInInfo, long long deletionTime) {
    const std::time_t when = static_cast<std::time_t>(deletionTime);
    std::tm local {};
    localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(pathInInfo) + "\nDeletionDate=" + date + "\n";
}

TrashDirectory homeTrash() {
    return {openHomeTrash().path, {}};
}

std::string moveToTrash(const std::string& path) {
    // The item itself: a trailing slash must not make a link to a folder stand for its target.
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::string name = lastPathComponent(trimmed);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) fail(EINVAL, "name");
    const Descriptor folder(openFolderAnyLength(parentPath(trimmed)));
    if (!folder) fail(errno, "open");
    const Descriptor item(::openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {}, folderStat {};
    if (!item || ::fstat(item.get(), &st) != 0 || ::fstat(folder.get(), &folderStat) != 0) fail(errno, "lstat");
    const std::optional<std::string> folderPath = pathOfOpenFolder(folder.get());
    if (!folderPath) fail(errno, "realpath");
    const std::string original = appendingPathComponent(*folderPath, name);
    if (isPartOfTrash(original, xdgDataHome() + "/Trash"))
        throw std::system_error(partOfTrashError(), "trash folder");
    // A mount point itself cannot move, nor a folder holding one.
    const std::uint64_t mount = mountIdentity(folder.get());
    if (st.st_dev != folderStat.st_dev || mountIdentity(item.get()) != mount) fail(EXDEV, "rename");
    if (S_ISDIR(st.st_mode) && holdsMountPoint(original))
        throw std::system_error(trashRefusalError(TrashRefusal::mountInside), "mount inside");

    OpenTrash trash = openHomeTrash();
    struct stat homeStat {};
    if (::fstat(trash.files.get(), &homeStat) != 0) fail(errno, "fstat");
    if (homeStat.st_dev != st.st_dev || mountIdentity(trash.files.get()) != mount)
        trash = openMountTrash(folder.get());
    // Paths in a mount's trash are relative to the mount's top folder.
    std::string infoPath = original;
    if (!trash.topdir.empty()) {
        infoPath = pathBelowTop(original, trash.topdir);
        if (infoPath.empty()) throw std::system_error(trashRefusalError(TrashRefusal::mountTopUnproved), "mount top");
    }
    const std::string info = trashInfoText(infoPath, static_cast<long long>(std::time(nullptr)));
    // The name is reserved, but something may still appear there meanwhile: then the
    // next free name is taken.
    for (int attempt = 0;; ++attempt) {
        const std::string trashName = reserveName(trash, name, info);
        const int error = moveWithoutReplacing(folder.get(), name, trash.files.get(), trashName, S_ISDIR(st.st_mode));
        if (error == 0) return trash.path + "/files/" + trashName;
        releaseName(trash, trashName);
        if (error != EEXIST || attempt == 100) fail(error, "rename");
    }
}

} // namespace plenwick
