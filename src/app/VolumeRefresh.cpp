#include "app/VolumeRefresh.h"

#include "app/ScanResults.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"
#include "scanner/VolumeNames.h"

namespace plenwick {

VolumeRefresh::~VolumeRefresh() { setVolumeNames({}); }

void VolumeRefresh::refreshVolumes() {
    assertGuiThread();
    const std::int64_t generation = volumes_.beginRefresh();
    std::shared_ptr<VolumeSource> source = environment_.volumeSource;
    runInBackground(
        *environment_.userInitiated, &lifetime_, [source] { return source->mountedVolumes(); },
        [this, generation](std::vector<VolumeInfo> volumes) {
            StateChanges::Operation op(changes_);
            if (volumes_.applyRefresh(generation, std::move(volumes))) publishVolumeNames();
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
            if (volumes_.applyScanVolumeRefresh(generation, std::move(volume))) publishVolumeNames();
        },
        [](std::exception_ptr) {}); // a failed refresh keeps the figures shown
}

void VolumeRefresh::refreshScanVolumeForRoot() {
    if (!results_.root()) return;
    const std::int64_t generation = results_.generation();
    refreshScanVolume(results_.root()->url(), [this, generation] { return results_.generation() == generation; });
}

void VolumeRefresh::assignVolumes(std::vector<VolumeInfo> volumes) {
    volumes_.assignVolumes(std::move(volumes));
    publishVolumeNames();
}

void VolumeRefresh::assignScanVolume(std::optional<VolumeInfo> volume) {
    volumes_.assignScanVolume(std::move(volume));
    publishVolumeNames();
}

void VolumeRefresh::publishVolumeNames() {
    // The scan volume may be one the list does not show yet; for a mount point named
    // twice, the first name counts, the list's.
    const NodeRef& root = results_.root();
    const std::string rootName = root ? root->displayName() : std::string();
    setVolumeNames(volumes_.names());
    // The views that show the root's name read it again with the tree.
    if (root && root->displayName() != rootName) results_.bumpTreeVersion();
}

} // namespace plenwick
