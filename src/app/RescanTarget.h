#pragma once
// What stands at a folder's path when it is rescanned in place. The path is checked
// without following links, from below the scan's root down to the folder, and the
// folder's volume is compared with the volume the scan was made on: a rescan never
// follows a link that has taken a folder's place, and never crosses into another
// volume that a full scan would have stayed out of.

#include "scanner/FileNode.h"

#include <cstdint>
#include <optional>
#include <string>

namespace plenwick {

// The volume an item lies on: its mount when the kernel says, else its device.
struct FolderVolume {
    std::uint64_t device = 0;
    std::optional<std::uint64_t> mountID;
    friend bool operator==(const FolderVolume&, const FolderVolume&) = default;
    // Mounts are compared when both are known, devices otherwise (a btrfs subvolume
    // has a device of its own inside one mount).
    bool sameVolume(const FolderVolume& other) const noexcept;
};

// The volume of the item at `path`, links followed as a scan's target is; none when
// it cannot be read.
std::optional<FolderVolume> volumeOfScanTarget(const std::string& path);

struct RescanTarget {
    enum class Kind {
        folder, // a folder on the scan's volume: scan it
        leaf,   // no folder any more but a file or a link: `leaf` takes its place
        gone,   // nothing there, a link on the way, or a folder of another volume
    };
    Kind kind = Kind::gone;
    NodeRef leaf; // named after the path's last component
};

// Looks at `folderPath`, which lies below `rootPath`. `rootVolume` is the volume of
// the scan; with `crossVolumes` any volume will do. An error other than a missing
// path (no permission, say) gives `folder`, so that the scanner reports it.
RescanTarget probeRescanTarget(const std::string& rootPath, const std::string& folderPath,
                               const std::optional<FolderVolume>& rootVolume, bool crossVolumes);

} // namespace plenwick
