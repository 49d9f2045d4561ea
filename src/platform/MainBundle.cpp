#include "platform/MainBundle.h"

#include "base/PathNames.h"

#include <climits>
#include <unistd.h>

namespace plenwick {
std::string bundlePathForExecutable(const std::string& executable) {
    const std::string folder = parentPath(executable);
    if (folder.ends_with("/Contents/MacOS")) {
        const std::string bundle = parentPath(parentPath(folder));
        if (bundle.ends_with(".app")) return bundle;
    }
    return folder;
}

std::string mainBundlePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return ".";
    return bundlePathForExecutable(std::string(buffer, static_cast<std::size_t>(n)));
}

} // namespace plenwick
