#include "app/VolumeRefresh.h"

#include "app/ScanResults.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"

namespace plenwick {

void VolumeRefresh::refreshVolumes() {
    assertGuiThread();
    const std::int64_t generation = volumes_.beginRefresh();
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.userInitiated, &lifetime_, [source] { return source->mountedVolumes(); },
        [this, generation](std::vector<VolumeInfo> volumes) {
            StateChanges::Operation op(changes_);
            volumes_.applyRefresh(generation, std::move(volumes));
        },
        [](std::exception_ptr) {}); // a failed reload keeps the list shown
}

void VolumeRefresh::refreshScanVolume(const std::string& path, std::function<bool()> stillWanted) {
    assertGuiThread();
    const std::int64_t generation = volumes_.beginScanVolumeRefresh();
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.utility, &lifetime_, [source, path] { return source->containing(path); },
        [this, generation, stillWanted = std::move(stillWanted)](std::optional<VolumeInfo> volume) {
            if (!stillWanted()) return;
            StateChanges::Operation op(changes_);
            volumes_.applyScanVolumeRefresh(generation, std::move(volume));
        },
        [](std::exception_ptr) {}); // a failed refresh keeps the figures shown
}

void VolumeRefresh::refreshScanVolumeForRoot() {
    if (!results_.root()) return;
    const std::int64_t generation = results_.generation();
    refreshScanVolume(results_.root()->url(), [this, generation] { return results_.generation() == generation; });
}

void VolumeRefresh::assignVolumes(std::vector<VolumeInfo> volumes) {
    StateChanges::Operation op(changes_);
    volumes_.assignVolumes(std::move(volumes));
}

void VolumeRefresh::assignScanVolume(std::optional<VolumeInfo> volume) {
    StateChanges::Operation op(changes_);
    volumes_.assignScanVolume(std::move(volume));
}

} // namespace plenwick
