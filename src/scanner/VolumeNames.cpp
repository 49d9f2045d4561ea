#include "scanner/VolumeNames.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

#include <map>
#include <mutex>

namespace plenwick {
namespace {

struct Names {
    std::mutex lock;
    std::map<std::string, std::string, std::less<>> byMountPoint;
};

Names& names() {
    static Names* shared = new Names; // read by nodes that may outlive static destruction
    return *shared;
}

} // namespace

void setVolumeNames(std::vector<std::pair<std::string, std::string>> mountPointsAndNames) {
    std::map<std::string, std::string, std::less<>> byMountPoint;
    for (auto& [path, name] : mountPointsAndNames)
        byMountPoint.emplace(std::string(withoutTrailingSlashes(path)), std::move(name));
    Names& shared = names();
    std::lock_guard guard(shared.lock);
    shared.byMountPoint.swap(byMountPoint);
}

std::string pathDisplayName(std::string_view path) {
    {
        Names& shared = names();
        std::lock_guard guard(shared.lock);
        if (!shared.byMountPoint.empty()) {
            const auto it = shared.byMountPoint.find(withoutTrailingSlashes(path));
            if (it != shared.byMountPoint.end() && !it->second.empty()) return visibleText(it->second);
        }
    }
    return visibleText(lastPathComponent(path));
}

} // namespace plenwick
