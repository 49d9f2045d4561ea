#pragma once
// The volume list of the home page and the volume of the scanned folder, each
// loaded in the background: the list on the user-initiated executor, the scan volume
// on the utility one. A result is dropped when a newer refresh or a direct assignment
// made it stale; a failed load keeps what is shown.

#include "app/AppEnvironment.h"
#include "app/StateChanges.h"
#include "app/Volumes.h"
#include "scanner/VolumeInfo.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class ScanResults;

class VolumeRefresh {
public:
    VolumeRefresh(StateChanges& changes, const AppEnvironment& environment, ScanResults& results) noexcept
        : changes_(changes), environment_(environment), results_(results), volumes_(changes) {}
    VolumeRefresh(const VolumeRefresh&) = delete;
    VolumeRefresh& operator=(const VolumeRefresh&) = delete;

    const Volumes& volumes() const noexcept { return volumes_; }

    void refreshVolumes();
    // Reloads the scan volume for the volume holding `path`; the result is applied
    // only while `stillWanted` says yes.
    void refreshScanVolume(const std::string& path, std::function<bool()> stillWanted);
    // The same for the root, while its results are current.
    void refreshScanVolumeForRoot();
    // Direct assignments, one operation each: each makes a pending refresh of its
    // field stale.
    void assignVolumes(std::vector<VolumeInfo> volumes);
    void assignScanVolume(std::optional<VolumeInfo> volume);

private:
    StateChanges& changes_;
    const AppEnvironment& environment_;
    ScanResults& results_;
    Volumes volumes_;
    // The loads' outcomes reach this object only while it lives.
    QObject lifetime_;
};

} // namespace plenwick
