#include "platform/TrashFolders.h"

#include "base/Descriptor.h"
#include "base/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace plenwick {
namespace {

class PartOfTrashCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "trash"; }
    std::string message(int) const override { return partOfTrashReason; }
};

// A name the Trash gives its folders at a mount's top.
bool isMountTrashName(std::string_view name) { return name == ".Trash" || name.starts_with(".Trash-"); }

bool isAtOrInside(std::string_view path, std::string_view folder) {
    if (folder.empty() || !path.starts_with(folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == '/' || folder == "/";
}

// Calls `visit(folderPath, name)` for each name of the absolute `path`, the folder
// holding it given by its path; stops when `visit` returns true, and says so.
template <typename Visit>
bool eachName(std::string_view path, Visit visit) {
    std::size_t pos = 1;
    while (pos < path.size()) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string_view::npos) slash = path.size();
        const std::string_view folder = pos == 1 ? std::string_view("/") : path.substr(0, pos - 1);
        if (slash > pos && visit(folder, path.substr(pos, slash - pos))) return true;
        pos = slash + 1;
    }
    return false;
}

} // namespace

std::error_code partOfTrashError() {
    static const PartOfTrashCategory category;
    return {1, category};
}

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
    const bool stopped = eachName(path, [&](std::string_view, std::string_view name) {
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

bool pathIsPartOfTrash(std::string_view path, std::string_view homeTrash,
                       const std::function<bool(std::string_view folder)>& isMountTop) {
    if (isAtOrInside(path, homeTrash)) return true;
    return eachName(path, [&](std::string_view folder, std::string_view name) {
        return isMountTrashName(name) && isMountTop(folder);
    });
}

} // namespace plenwick
