#include "platform/MainBundle.h"

#include "platform/PathNames.h"

#include <climits>
#include <unistd.h>

namespace plenwick {
namespace {
bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
} // namespace

std::string bundlePathForExecutable(const std::string& executable) {
    const std::string folder = parentPath(executable);
    if (endsWith(folder, "/Contents/MacOS")) {
        const std::string bundle = parentPath(parentPath(folder));
        if (endsWith(bundle, ".app")) return bundle;
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
