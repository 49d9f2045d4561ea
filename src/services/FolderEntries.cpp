#include "services/FolderEntries.h"

#include <dirent.h>
#include <string_view>

namespace plenwick {

std::vector<std::string> folderEntryNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

} // namespace plenwick
