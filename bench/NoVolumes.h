#pragma once
// A volume source that knows no volumes, for benchmarks that build an application
// state without the machine's mounts.

#include "app/VolumeSource.h"

namespace plenwick::bench {

class NoVolumes final : public VolumeSource {
public:
    std::vector<VolumeInfo> mountedVolumes() override { return {}; }
    std::optional<VolumeInfo> containing(const std::string&) override { return std::nullopt; }
};

} // namespace plenwick::bench
