#include "platform/TrashFolders.h"

#include "base/Descriptor.h"
#include "base/FileIdentity.h"
#include "base/HomeDirectory.h"
#include "base/LongPaths.h"
#include "base/PathNames.h"
#include "platform/TrashErrors.h"

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace plenwick {
namespace {

// A name the Trash gives its folders at a mount's top.
bool isMountTrashName(std::string_view name) { return name == ".Trash" || name.starts_with(".Trash-"); }

// Calls `visit(name)` for each name of the absolute `path`; stops when `visit`
// returns true, and says so.
template <typename Visit>
bool eachName(std::string_view path, Visit visit) {
    std::size_t pos = 1;
    while (pos < path.size()) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string_view::npos) slash = path.size();
        if (slash > pos && visit(path.substr(pos, slash - pos))) return true;
        pos = slash + 1;
    }
    return false;
}

} // namespace

std::error_code partOfTrashError() { return trashRefusalError(TrashRefusal::partOfTrash); }

bool isPartOfTrash(std::string_view path, const std::string& homeTrash) {
    struct stat home {};
    const bool hasHome = !homeTrash.empty() && ::stat(homeTrash.c_str(), &home) == 0 && S_ISDIR(home.st_mode);
    if (path.empty() || path[0] != '/') return false;
    Descriptor folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return false;
    bool folderIsTop = true; // "/" is the top of its mount
    std::uint64_t folderMount = mountIdentity(folder.get());
    struct stat folderStat {};
    if (::fstat(folder.get(), &folderStat) != 0) return false;
    bool lost = false; // a name that cannot be found, or something else than a folder on the way
    const bool stopped = eachName(path, [&](std::string_view name) {
        const std::string copy(name);
        Descriptor entry(::openat(folder.get(), copy.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!entry || ::fstat(entry.get(), &st) != 0) return lost = true;
        if (folderIsTop && isMountTrashName(name)) return true;
        if (hasHome && st.st_dev == home.st_dev && st.st_ino == home.st_ino) return true;
        if (!S_ISDIR(st.st_mode)) return lost = true;
        // A top where the mount changes, or the device (a file system's own volumes),
        // as the move finds a mount's top.
        const std::uint64_t mount = mountIdentity(entry.get());
        folderIsTop = mount != folderMount || st.st_dev != folderStat.st_dev;
        folderMount = mount;
        folderStat = st;
        folder = std::move(entry);
        return false;
    });
    return stopped && !lost;
}

bool isPartOfUsersTrash(const std::string& path) {
    const std::string_view trimmed = withoutTrailingSlashes(path);
    const std::string name = lastPathComponent(trimmed);
    if (trimmed.empty() || trimmed[0] != '/' || name.empty() || name == "." || name == "..") return false;
    const Descriptor folder(openFolderAnyLength(parentPath(trimmed)));
    const std::optional<std::string> folderPath = folder ? pathOfOpenFolder(folder.get()) : std::nullopt;
    if (!folderPath) return false; // gone: nothing there to keep
    return isPartOfTrash(appendingPathComponent(*folderPath, name), xdgDataHome() + "/Trash");
}

} // namespace plenwick
