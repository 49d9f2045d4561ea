// The volume list and the scan volume: both loaded in the background, both dropped
// when a newer refresh or a direct assignment made them stale.

#include "app/AppState.h"
#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"
#include "scanner/VolumeNames.h"

namespace plenwick {

void AppState::refreshVolumes() {
    assertGuiThread();
    const std::int64_t generation = volumes_.beginRefresh();
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.userInitiated, this, [source] { return source->mountedVolumes(); },
        [this, generation](std::vector<VolumeInfo> volumes) {
            Operation op(*this);
            if (volumes_.applyRefresh(generation, std::move(volumes))) publishVolumeNames();
        },
        [](std::exception_ptr) {}); // a failed reload keeps the list shown
}

void AppState::refreshScanVolume(const std::string& path, std::function<bool(const AppState&)> condition) {
    assertGuiThread();
    const std::int64_t generation = volumes_.beginScanVolumeRefresh();
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.utility, this, [source, path] { return source->containing(path); },
        [this, generation, condition = std::move(condition)](std::optional<VolumeInfo> volume) {
            if (!condition(*this)) return;
            Operation op(*this);
            if (volumes_.applyScanVolumeRefresh(generation, std::move(volume))) publishVolumeNames();
        },
        [](std::exception_ptr) {}); // a failed refresh keeps the figures shown
}

void AppState::refreshScanVolumeForRoot() {
    if (!root()) return;
    const std::int64_t generation = scan_.resultsGeneration();
    refreshScanVolume(root()->url(), [generation](const AppState& state) { return state.scan_.resultsGeneration() == generation; });
}

std::string AppState::normalizedPath(const std::string& path) {
    // A relative path whose working folder is gone stays as given: it matches no
    // volume or node, and its scan fails with the scanner's own error.
    return normalizedPathOrSelf(path);
}

void AppState::assignVolumes(std::vector<VolumeInfo> volumes) {
    volumes_.assignVolumes(std::move(volumes));
    publishVolumeNames();
}

void AppState::assignScanVolume(std::optional<VolumeInfo> volume) {
    volumes_.assignScanVolume(std::move(volume));
    publishVolumeNames();
}

void AppState::publishVolumeNames() {
    // The scan volume may be one the list does not show yet; for a mount point named
    // twice, the first name counts, the list's.
    const std::string rootName = root() ? root()->displayName() : std::string();
    setVolumeNames(volumes_.names());
    // The views that show the root's name read it again with the tree.
    if (root() && root()->displayName() != rootName) results_.bumpTreeVersion();
}

} // namespace plenwick
