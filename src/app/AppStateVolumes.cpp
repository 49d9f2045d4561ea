// The volume list and the scan volume: both loaded in the background, both dropped
// when a newer refresh or a direct assignment made them stale.

#include "app/AppState.h"
#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"

#include <algorithm>

namespace plenwick {

void AppState::refreshVolumes() {
    assertGuiThread();
    const std::int64_t generation = ++volumeRefreshGeneration_;
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.userInitiated, this, [source] { return source->mountedVolumes(); },
        [this, generation](std::vector<VolumeInfo> volumes) {
            if (volumeRefreshGeneration_ != generation) return;
            Operation op(*this);
            isApplyingVolumeRefresh_ = true;
            assignVolumes(std::move(volumes));
            isApplyingVolumeRefresh_ = false;
        },
        [](std::exception_ptr) {}); // a failed reload keeps the list shown
}

void AppState::refreshScanVolume(const std::string& path, std::function<bool(const AppState&)> condition) {
    assertGuiThread();
    const std::int64_t generation = ++scanVolumeGeneration_;
    scanVolumeRefresh_ = generation;
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.utility, this, [source, path] { return source->containing(path); },
        [this, generation, condition = std::move(condition)](std::optional<VolumeInfo> volume) {
            if (!volume || scanVolumeGeneration_ != generation || !condition(*this)) return;
            Operation op(*this);
            isApplyingScanVolumeRefresh_ = true;
            assignScanVolume(std::move(volume));
            isApplyingScanVolumeRefresh_ = false;
        },
        [](std::exception_ptr) {}); // a failed refresh keeps the figures shown
}

void AppState::refreshScanVolumeForRoot() {
    if (!root_) return;
    const std::int64_t generation = resultsGeneration_;
    refreshScanVolume(root_->url(), [generation](const AppState& state) { return state.resultsGeneration_ == generation; });
}

std::string AppState::normalizedPath(const std::string& path) {
    // A relative path whose working folder is gone stays as given: it matches no
    // volume or node, and its scan fails with the scanner's own error.
    return normalizedPathOrSelf(path);
}

std::optional<VolumeInfo> AppState::volumeMatching(const std::string& path) const {
    const std::string wanted = normalizedPath(path);
    for (const VolumeInfo& volume : volumes_)
        if (normalizedPath(volume.url) == wanted) return volume;
    return std::nullopt;
}

bool AppState::isWholeVolumeScan() const {
    return root_ && scanVolume_ && normalizedPath(root_->url()) == normalizedPath(scanVolume_->url);
}

std::int64_t AppState::unattributedBytes() const {
    if (!isWholeVolumeScan()) return 0;
    return std::max<std::int64_t>(0, scanVolume_->usedCapacity() - root_->size());
}

} // namespace plenwick
