#include "app/VolumeSource.h"

namespace plenwick {

std::vector<VolumeInfo> SystemVolumeSource::mountedVolumes() { return VolumeInfo::mountedVolumes(); }

std::optional<VolumeInfo> SystemVolumeSource::containing(const std::string& path) {
    return VolumeInfo::containing(path);
}

} // namespace plenwick
