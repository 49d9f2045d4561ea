#include "app/Volumes.h"

#include "base/PathNames.h"

#include <algorithm>

namespace plenwick {

void Volumes::assignVolumes(std::vector<VolumeInfo> volumes) {
    changes_.assign(volumes_, std::move(volumes), StateField::volumes);
    ++refreshGeneration_;
    updateNames();
}

void Volumes::assignScanVolume(std::optional<VolumeInfo> volume) {
    changes_.assign(scanVolume_, std::move(volume), StateField::scanVolume);
    ++scanVolumeGeneration_;
    updateNames();
}

bool Volumes::applyRefresh(std::int64_t generation, std::vector<VolumeInfo> volumes) {
    if (generation != refreshGeneration_) return false;
    changes_.assign(volumes_, std::move(volumes), StateField::volumes);
    updateNames();
    return true;
}

bool Volumes::applyScanVolumeRefresh(std::int64_t generation, std::optional<VolumeInfo> volume) {
    if (!volume || generation != scanVolumeGeneration_) return false;
    changes_.assign(scanVolume_, std::move(volume), StateField::scanVolume);
    updateNames();
    return true;
}

std::optional<VolumeInfo> Volumes::matching(const std::string& path) const {
    const std::string wanted = normalizedPathOrSelf(path);
    for (const VolumeInfo& volume : volumes_)
        if (normalizedPathOrSelf(volume.url) == wanted) return volume;
    return std::nullopt;
}

bool Volumes::isWholeVolume(const FileNode* root) const {
    return root && scanVolume_ && normalizedPathOrSelf(root->url()) == normalizedPathOrSelf(scanVolume_->url);
}

std::int64_t Volumes::unattributedBytes(const FileNode* root) const {
    if (!isWholeVolume(root)) return 0;
    return std::max<std::int64_t>(0, scanVolume_->usedCapacity() - root->size());
}

void Volumes::updateNames() {
    // The scan volume may be one the list does not show yet; for a mount point named
    // twice, the first name counts, the list's.
    std::vector<std::pair<std::string, std::string>> named;
    named.reserve(volumes_.size() + 1);
    for (const VolumeInfo& volume : volumes_) named.emplace_back(volume.url, volume.name);
    if (scanVolume_) named.emplace_back(scanVolume_->url, scanVolume_->name);
    VolumeNameMap names = makeVolumeNameMap(named);
    if (names == *names_) return;
    names_ = std::make_shared<const VolumeNameMap>(std::move(names));
    changes_.touch(StateField::volumeNames);
}

} // namespace plenwick
