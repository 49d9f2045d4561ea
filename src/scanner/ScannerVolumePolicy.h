#pragma once
// The volume rules of one scan: stay on the scanned mount, never wander
// into device, automount and pseudo file systems, skip the system's hidden names.
//
// On Linux "another volume" means another mount. Mounts are compared by their mount
// ID (statx STATX_MNT_ID, the first field of mountinfo), not by st_dev: a btrfs
// subvolume has its own st_dev inside one mount and must not be left out. Device
// numbers are only the fallback where the kernel gives no mount ID. Linux has no
// snapshot mount flag and no trusted entry counts: no mount is excluded as a
// snapshot and every folder is opened.

#include "base/StringHash.h"
#include "base/MountTable.h"
#include "scanner/ScannerEntry.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace plenwick {

// Where a file system object lives: its device and, when the kernel says, its mount.
struct VolumeIdentity {
    std::uint64_t device = 0;
    std::optional<std::uint64_t> mountID;
    friend bool operator==(const VolumeIdentity&, const VolumeIdentity&) = default;
};

// statx of `path` (links followed); none when it fails.
std::optional<VolumeIdentity> volumeIdentityOf(const char* path);

class ScannerVolumePolicy {
public:
    bool crossVolumes = false;
    std::unordered_set<std::uint64_t> allowedDevices;
    std::unordered_set<std::uint64_t> allowedMountIDs;
    bool isSystemVolumeGroup = false;
    StringMap<std::string> mountPoints;          // mount path → file-system type
    StringSet excludedMountPoints;
    StringSet mountPointNames;
    std::unordered_set<std::uint64_t> exactEntryCountDevices; // stays empty on Linux
    // Mounts (and, without mount IDs, devices) of local file systems whose listings
    // give each folder's real inode and which hold no automount points of their own.
    std::unordered_set<std::uint64_t> realInodeMountIDs;
    std::unordered_set<std::uint64_t> realInodeDevices;

    ScannerVolumePolicy() = default;
    // `systemRoot` and `systemData` are the identities of "/" and
    // "/System/Volumes/Data" (none where they cannot be read).
    ScannerVolumePolicy(const std::vector<Mount>& table, VolumeIdentity root, bool crossVolumes,
                        std::optional<VolumeIdentity> systemRoot, std::optional<VolumeIdentity> systemData);
    // The same, reading the identities of "/" and "/System/Volumes/Data" itself.
    static ScannerVolumePolicy forScan(const std::vector<Mount>& table, VolumeIdentity root, bool crossVolumes);

    // Whether an opened folder on `volume` may be descended into.
    bool allowsDevice(const VolumeIdentity& volume) const;
    // Whether a listed folder entry is skipped. `name` is the entry's raw name,
    // `prefix` the listed folder's path ("" when that folder is "/").
    bool shouldSkip(std::string_view name, std::string_view prefix, const ScannerEntry& entry) const;
    // False when shouldSkip is false whatever the prefix: the listed folder's path is
    // then not needed. `inFileSystemRoot` says whether the listed folder is "/".
    bool mayNeedSkipping(std::string_view name, bool inFileSystemRoot, const ScannerEntry& entry) const;
    // Whether folders listed on `volume` may be taken from the listing alone (the
    // reader's deferFolders): their inode is real and opening one triggers no mount.
    bool listsRealInodes(const VolumeIdentity& volume) const;
    static bool isRealInodeFileSystemType(std::string_view type) noexcept;
    bool exactEntryCountUsable(const ScannerEntry& entry) const;

    static bool isSkippedFileSystemType(std::string_view type) noexcept;
    static bool isRootSkipName(std::string_view name) noexcept;
};

} // namespace plenwick
