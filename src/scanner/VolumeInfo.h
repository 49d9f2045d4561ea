#pragma once
// A mounted volume as the home screen and the disk-usage card show it, and the
// list of the volumes a file manager would offer.

#include "base/HashCombine.h"
#include "scanner/VolumeSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

struct VolumeInfo {
    std::string url;  // the mount point, raw bytes
    std::string name; // shown to the user: the label, else the mount point's last component
    std::int64_t totalCapacity = 0;     // used + available; the root reserve is neither
    std::int64_t availableCapacity = 0; // what the user can write
    bool isInternal = false;
    bool isRemovable = false;
    bool isRootVolume = false;
    bool isNetwork = false;
    std::string fileSystem; // readable description of the format, empty when unknown
    // Free space kept back for the system (ext4's reserve for root): neither used nor
    // available, so not in the total, which disk tools count it in.
    std::int64_t reservedCapacity = 0;

    const std::string& id() const noexcept { return url; }
    // The bytes in use: the total less what is available, never below nothing (a
    // volume may report more available than its total).
    std::int64_t usedCapacity() const noexcept {
        return totalCapacity > availableCapacity ? totalCapacity - availableCapacity : 0;
    }
    friend bool operator==(const VolumeInfo&, const VolumeInfo&) = default;

    // The volume mounted at `url`; none when nothing listable is mounted there or its
    // figures cannot be read.
    static std::optional<VolumeInfo> make(std::string_view url, const VolumeSystem& system = VolumeSystem::live());
    // The listable volumes, sorted.
    static std::vector<VolumeInfo> mountedVolumes(const VolumeSystem& system = VolumeSystem::live());
    // The volume that holds `path`; none when the path does not exist or its volume
    // is not listable.
    static std::optional<VolumeInfo> containing(std::string_view path,
                                                const VolumeSystem& system = VolumeSystem::live());
    // Root volume first, then internal volumes, then by name in the file browser's
    // order; stable.
    static void sortVolumes(std::vector<VolumeInfo>& volumes);
};

} // namespace plenwick

template <>
struct std::hash<plenwick::VolumeInfo> {
    std::size_t operator()(const plenwick::VolumeInfo& v) const noexcept {
        std::size_t seed = std::hash<std::string>{}(v.url);
        const std::size_t parts[] = {std::hash<std::string>{}(v.name), std::hash<std::int64_t>{}(v.totalCapacity),
                                     std::hash<std::int64_t>{}(v.availableCapacity),
                                     static_cast<std::size_t>(v.isInternal | v.isRemovable << 1 |
                                                              v.isRootVolume << 2 | v.isNetwork << 3),
                                     std::hash<std::string>{}(v.fileSystem),
                                     std::hash<std::int64_t>{}(v.reservedCapacity)};
        for (std::size_t h : parts) plenwick::hashCombine(seed, h);
        return seed;
    }
};
