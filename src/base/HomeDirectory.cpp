#include "base/HomeDirectory.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace plenwick {

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string homePath(std::string_view relative) {
    std::string path = homeDirectory();
    while (!path.empty() && path.back() == '/') path.pop_back();
    path.push_back('/');
    path.append(relative);
    return path;
}

namespace {
// An XDG base folder: the variable when it names an absolute path, else its default
// under the home folder.
std::string xdgBaseFolder(const char* variable, std::string_view underHome) {
    if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
    return homePath(underHome);
}
} // namespace

std::string xdgDataHome() { return xdgBaseFolder("XDG_DATA_HOME", ".local/share"); }
std::string xdgConfigHome() { return xdgBaseFolder("XDG_CONFIG_HOME", ".config"); }
std::string xdgCacheHome() { return xdgBaseFolder("XDG_CACHE_HOME", ".cache"); }
std::string xdgStateHome() { return xdgBaseFolder("XDG_STATE_HOME", ".local/state"); }

std::vector<std::string> xdgDataDirs() {
    std::vector<std::string> folders;
    const char* value = std::getenv("XDG_DATA_DIRS");
    const std::string_view list = value ? value : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        if (end > start && list[start] == '/') folders.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    if (folders.empty()) folders = {"/usr/local/share", "/usr/share"};
    return folders;
}

} // namespace plenwick
