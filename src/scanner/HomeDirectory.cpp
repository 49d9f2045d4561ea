#include "scanner/HomeDirectory.h"

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

std::string xdgDataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
    std::string home = homeDirectory();
    if (!home.empty() && home.back() == '/') home.pop_back();
    return home + "/.local/share";
}

} // namespace plenwick
