#include "base/LongPaths.h"

#include "base/Descriptor.h"
#include "base/FileIdentity.h"
#include "base/PathNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <vector>

namespace plenwick {
namespace {

constexpr int pathFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;


// The longest start of `path` (from `from`) that the kernel takes at once and ends
// at a slash or at the end: its end. At least one name, which is never longer than
// NAME_MAX.
std::size_t pieceEnd(const std::string& path, std::size_t from) {
    if (path.size() - from < PATH_MAX) return path.size();
    std::size_t end = path.rfind('/', from + PATH_MAX - 1);
    if (end == std::string::npos || end <= from) end = path.find('/', from);
    return end == std::string::npos ? path.size() : end;
}

// The name of `child` (whose status is `childStat`) in the folder `parent`: an entry
// with its inode first, then any entry that leads to it (a mount point's entry shows
// the inode below the mount).
std::optional<std::string> nameIn(int parent, const struct stat& childStat) {
    for (const bool byInode : {true, false}) {
        const int copy = ::openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
        if (!dir) {
            if (copy >= 0) ::close(copy);
            return std::nullopt;
        }
        std::optional<std::string> found;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            if (byInode && entry->d_ino != childStat.st_ino) continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(st, childStat)) {
                found = std::string(name);
                break;
            }
        }
        ::closedir(dir);
        if (found) return found;
    }
    errno = ENOENT;
    return std::nullopt;
}

std::optional<std::string> pathWalkingUp(int folder) {
    Descriptor current(::openat(folder, ".", pathFolderFlags));
    struct stat currentStat {};
    if (!current || ::fstat(current.get(), &currentStat) != 0) return std::nullopt;
    std::vector<std::string> names;
    for (;;) {
        Descriptor parent(::openat(current.get(), "..", pathFolderFlags));
        struct stat parentStat {};
        if (!parent || ::fstat(parent.get(), &parentStat) != 0) return std::nullopt;
        if (sameFile(parentStat, currentStat)) break; // the root
        std::optional<std::string> name = nameIn(parent.get(), currentStat);
        if (!name) return std::nullopt;
        names.push_back(std::move(*name));
        current = std::move(parent);
        currentStat = parentStat;
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) path += '/' + *it;
    return path.empty() ? std::string("/") : path;
}

} // namespace

int openFolderAnyLength(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    if (path.size() < PATH_MAX) return ::open(path.c_str(), pathFolderFlags);
    Descriptor current(::open(path[0] == '/' ? "/" : ".", pathFolderFlags));
    std::size_t from = path[0] == '/' ? 1 : 0;
    while (current && from < path.size()) {
        const std::size_t end = pieceEnd(path, from);
        const std::string piece = path.substr(from, end - from);
        if (!piece.empty()) current = Descriptor(::openat(current.get(), piece.c_str(), pathFolderFlags));
        from = end + 1;
    }
    return current ? current.release() : -1;
}

int lstatAnyLength(const std::string& path, struct stat& st) {
    if (path.size() < PATH_MAX) return ::lstat(path.c_str(), &st);
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const Descriptor folder(openFolderAnyLength(parentPath(trimmed)));
    if (!folder) return -1;
    return ::fstatat(folder.get(), lastPathComponent(trimmed).c_str(), &st, AT_SYMLINK_NOFOLLOW);
}

std::optional<std::string> pathOfOpenFolder(int folder) {
    struct stat st {};
    if (::fstat(folder, &st) != 0) return std::nullopt;
    char link[PATH_MAX];
    const std::string proc = "/proc/self/fd/" + std::to_string(folder);
    const ssize_t n = ::readlink(proc.c_str(), link, sizeof link);
    if (n > 0 && n < static_cast<ssize_t>(sizeof link) && link[0] == '/') {
        const std::string path(link, static_cast<std::size_t>(n));
        struct stat there {};
        if (::stat(path.c_str(), &there) == 0 && sameFile(there, st)) return path;
    }
    return pathWalkingUp(folder);
}


} // namespace plenwick
