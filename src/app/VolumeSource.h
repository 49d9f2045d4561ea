#pragma once
// Where the state learns about mounted volumes. Both calls may be slow and run on
// background threads; tests give fixed answers.

#include "scanner/VolumeInfo.h"

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::vector<VolumeInfo> mountedVolumes() = 0;
    // The volume that holds `path` (raw bytes), or none.
    virtual std::optional<VolumeInfo> containing(const std::string& path) = 0;
};

// The volumes of this machine.
class SystemVolumeSource final : public VolumeSource {
public:
    std::vector<VolumeInfo> mountedVolumes() override;
    std::optional<VolumeInfo> containing(const std::string& path) override;
};

} // namespace plenwick
