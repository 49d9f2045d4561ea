#include "app/VolumeNameMap.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

namespace plenwick {

VolumeNameMap makeVolumeNameMap(const std::vector<std::pair<std::string, std::string>>& mountPointsAndNames) {
    VolumeNameMap names;
    for (const auto& [path, name] : mountPointsAndNames) names.emplace(std::string(withoutTrailingSlashes(path)), name);
    return names;
}

std::string pathDisplayName(std::string_view path, const VolumeNameMap& names) {
    if (!names.empty()) {
        const auto it = names.find(withoutTrailingSlashes(path));
        if (it != names.end() && !it->second.empty()) return visibleText(it->second);
    }
    return visibleText(lastPathComponent(path));
}

std::string displayName(const FileNode& node, const VolumeNameMap& names) {
    return node.parent() ? node.displayName() : pathDisplayName(node.name(), names);
}

} // namespace plenwick
