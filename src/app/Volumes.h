#pragma once
// The mounted volumes the home page lists and the volume of the scanned folder. Both
// are loaded in the background; a refresh's result counts only while no newer refresh
// and no direct assignment has made it stale. The names of both, by mount point, are
// what a scanned volume is called everywhere.

#include "app/StateChanges.h"
#include "app/VolumeNameMap.h"
#include "scanner/FileNode.h"
#include "scanner/VolumeInfo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plenwick {

class Volumes {
public:
    explicit Volumes(StateChanges& changes) noexcept : changes_(changes) {}
    Volumes(const Volumes&) = delete;
    Volumes& operator=(const Volumes&) = delete;

    const std::vector<VolumeInfo>& volumes() const noexcept { return volumes_; }
    const std::optional<VolumeInfo>& scanVolume() const noexcept { return scanVolume_; }
    std::int64_t refreshGeneration() const noexcept { return refreshGeneration_; }
    std::int64_t scanVolumeGeneration() const noexcept { return scanVolumeGeneration_; }

    // Direct assignments: each makes a pending refresh of its field stale.
    void assignVolumes(std::vector<VolumeInfo> volumes);
    void assignScanVolume(std::optional<VolumeInfo> volume);

    // A refresh starts and gets its generation; its result is applied only while that
    // generation is still the newest. Returns whether it was.
    std::int64_t beginRefresh() noexcept { return ++refreshGeneration_; }
    bool applyRefresh(std::int64_t generation, std::vector<VolumeInfo> volumes);
    std::int64_t beginScanVolumeRefresh() noexcept { return ++scanVolumeGeneration_; }
    // An empty result keeps the volume shown.
    bool applyScanVolumeRefresh(std::int64_t generation, std::optional<VolumeInfo> volume);

    // The first listed volume whose path equals `path`'s, or none.
    std::optional<VolumeInfo> matching(const std::string& path) const;
    // Whether `root` is the whole scan volume.
    bool isWholeVolume(const FileNode* root) const;
    // Used space of the scan volume that a scan of it from `root` attributed to no item.
    std::int64_t unattributedBytes(const FileNode* root) const;
    // Mount point → name, the list's first, then the scan volume's: replaced whole
    // (marking volumeNames) whenever either changes them, never edited in place.
    const std::shared_ptr<const VolumeNameMap>& names() const noexcept { return names_; }

private:
    void updateNames();

    StateChanges& changes_;
    std::vector<VolumeInfo> volumes_;
    std::optional<VolumeInfo> scanVolume_;
    std::int64_t refreshGeneration_ = 0;
    std::int64_t scanVolumeGeneration_ = 0;
    std::shared_ptr<const VolumeNameMap> names_ = std::make_shared<const VolumeNameMap>();
};

} // namespace plenwick
