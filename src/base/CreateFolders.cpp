#include "base/CreateFolders.h"

#include <cerrno>
#include <sys/stat.h>

namespace plenwick {

int createFolders(const std::string& path) noexcept {
    try {
        for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            const std::string partial = path.substr(0, slash);
            if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return errno;
            if (slash == std::string::npos) break;
        }
        // A file of that name counts as existing to mkdir.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return errno;
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    } catch (...) {
        return ENOMEM;
    }
}

} // namespace plenwick
