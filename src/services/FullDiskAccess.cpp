#include "services/FullDiskAccess.h"

#include "base/HomeDirectory.h"
#include "platform/DesktopServices.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plenwick {

const char* const FullDiskAccess::settingsURL = "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";

std::vector<std::string> FullDiskAccess::probePathsForHome(const std::string& home) {
    std::vector<std::string> paths{
        "/Library/Application Support/com.apple.TCC/TCC.db",
        home + "/Library/Application Support/com.apple.TCC/TCC.db",
        home + "/Library/Safari/Bookmarks.plist",
        home + "/Library/Safari/CloudTabs.db",
    };
    for (std::string& path : paths) {
        for (auto at = path.find("//"); at != std::string::npos; at = path.find("//", at)) path.erase(at, 1);
    }
    return paths;
}

const std::vector<std::string>& FullDiskAccess::probePaths() {
    static const std::vector<std::string> paths = probePathsForHome(homeDirectory());
    return paths;
}

FullDiskAccess::Status FullDiskAccess::status(const std::vector<std::string>& paths) {
    if (paths.empty()) return Status::unknown;
    bool refused = false;
    for (const std::string& path : paths) {
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0) {
            close(fd);
            return Status::granted;
        }
        if (errno == EPERM || errno == EACCES) refused = true;
    }
    return refused ? Status::denied : Status::unknown;
}

void FullDiskAccess::openSettings() {
    openURLOnDesktop(settingsURL);
}

} // namespace plenwick
