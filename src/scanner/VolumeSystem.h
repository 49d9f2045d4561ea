#pragma once
// What the volume list reads of the running system, as replaceable functions so
// that tests can feed recorded values. `VolumeSystem::live()` reads this machine.

#include "base/MountTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/statvfs.h>

namespace plenwick {

// The figures of a mounted file system as df counts them, in bytes. The blocks kept
// back for root are neither used nor available to the user, so they are left out of
// the capacity: used ÷ total is df's Use%.
struct VolumeSpace {
    std::int64_t total = 0;     // used + available
    std::int64_t available = 0; // f_bavail × f_frsize: what the user can write
    std::int64_t reserved = 0;  // (f_bfree − f_bavail) × f_frsize: free, but only for root
};

// The figures of one statvfs answer: used = (f_blocks − f_bfree) × f_frsize.
VolumeSpace volumeSpace(const struct statvfs& s) noexcept;

struct VolumeSystem {
    // The mount table, in mount order.
    std::function<std::vector<Mount>()> mounts;
    // statvfs of a mount point; none when it fails.
    std::function<std::optional<VolumeSpace>(const std::string& path)> space;
    // The contents of a small file (sysfs attributes); none when unreadable.
    std::function<std::optional<std::string>(const std::string& path)> readFile;
    // The path with every symbolic link resolved; none when it does not exist.
    std::function<std::optional<std::string>(const std::string& path)> realPath;
    // The names in a folder (no "." or ".."); empty when unreadable.
    std::function<std::vector<std::string>(const std::string& path)> listFolder;
    // The mount ID of the mount that holds the path (statx); none when the path does
    // not exist, 0 when the kernel does not tell.
    std::function<std::optional<std::uint64_t>(const std::string& path)> mountID;
    // The user's home folder and login name.
    std::string homeFolder;
    std::string userName;

    // The running system, read fresh on every call.
    static VolumeSystem live();
};

} // namespace plenwick
