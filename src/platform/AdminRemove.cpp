#include "platform/AdminRemove.h"

#include "base/Descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plenwick {
namespace {

// Whether the open folder is root's alone: owned by root, and neither its group nor
// others may change what it holds.
bool isRootsAlone(int folder) {
    struct stat st {};
    return ::fstat(folder, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

AdminRemoveResult removeAsAdministrator(const std::string& path) {
    std::vector<std::string_view> names;
    if (path.size() < 2 || path.front() != '/') return {EINVAL, {}};
    for (std::size_t start = 1; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view name(path.data() + start, end - start);
        if (name.empty() || name == "." || name == "..") return {EINVAL, {}};
        names.push_back(name);
        start = end + 1;
    }
    Descriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return {errno, {}};
    std::string reached = "/";
    for (std::size_t i = 0;; ++i) {
        if (!isRootsAlone(folder.get())) return {EPERM, reached};
        const std::string name(names[i]);
        if (i + 1 == names.size()) {
            if (::unlinkat(folder.get(), name.c_str(), 0) != 0 && errno != ENOENT) return {errno, {}};
            return {};
        }
        Descriptor next(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next) {
            // A link in a folder's place is refused as a link, whatever it points to.
            const int error = errno;
            struct stat st {};
            const bool link = ::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            return {link ? ELOOP : error, {}};
        }
        folder = std::move(next);
        reached += (reached.size() > 1 ? "/" : "") + name;
    }
}

} // namespace plenwick
