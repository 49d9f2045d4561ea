#pragma once
// What the volume list reads of the running system, as replaceable functions so
// that tests can feed recorded values. `VolumeSystem::live()` reads this machine.

#include "scanner/MountTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

// The figures statvfs gives for a mounted file system, in bytes.
struct VolumeSpace {
    std::int64_t total = 0;     // f_blocks × f_frsize
    std::int64_t available = 0; // f_bavail × f_frsize
};

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
