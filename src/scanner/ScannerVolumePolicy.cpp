#include "scanner/ScannerVolumePolicy.h"

#include "base/PathNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <string>

namespace plenwick {
namespace {

// Device, automount and null file systems, and the Linux pseudo file systems:
// nothing on them is disk usage.
constexpr std::array<std::string_view, 22> skippedFileSystemTypes{
    "autofs",  "devfs",   "devicefs", "nullfs",    "proc",    "sysfs",     "devtmpfs",    "devpts",
    "cgroup",  "cgroup2", "securityfs", "debugfs", "tracefs", "configfs",  "pstore",      "bpf",
    "mqueue",  "hugetlbfs", "fusectl", "binfmt_misc", "efivarfs", "nsfs"};
constexpr std::array<std::string_view, 3> rootSkipNames{".nofollow", ".resolve", ".vol"};
// Local file systems that list a folder's real inode and hold no automount points
// (zfs is left out for its snapshot folders, which mount when opened).
constexpr std::array<std::string_view, 12> realInodeFileSystemTypes{
    "ext2", "ext3", "ext4", "xfs", "btrfs", "tmpfs", "ramfs", "f2fs", "jfs", "reiserfs", "nilfs2", "bcachefs"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& set, std::string_view value) noexcept {
    for (std::string_view x : set)
        if (x == value) return true;
    return false;
}

bool sameVolume(const VolumeIdentity& a, const VolumeIdentity& b) {
    if (a.mountID && b.mountID) return *a.mountID == *b.mountID;
    return a.device == b.device;
}

} // namespace

std::optional<VolumeIdentity> volumeIdentityOf(const char* path) {
    struct statx stx {};
    if (::statx(AT_FDCWD, path, AT_STATX_DONT_SYNC, STATX_MNT_ID, &stx) == 0) {
        VolumeIdentity id{makedev(stx.stx_dev_major, stx.stx_dev_minor), std::nullopt};
        if (stx.stx_mask & STATX_MNT_ID) id.mountID = stx.stx_mnt_id;
        return id;
    }
    struct stat st {};
    if (::stat(path, &st) == 0) return VolumeIdentity{st.st_dev, std::nullopt};
    return std::nullopt;
}

bool ScannerVolumePolicy::isSkippedFileSystemType(std::string_view type) noexcept {
    return contains(skippedFileSystemTypes, type);
}
bool ScannerVolumePolicy::isRootSkipName(std::string_view name) noexcept { return contains(rootSkipNames, name); }
bool ScannerVolumePolicy::isRealInodeFileSystemType(std::string_view type) noexcept {
    return contains(realInodeFileSystemTypes, type);
}

ScannerVolumePolicy::ScannerVolumePolicy(const std::vector<Mount>& table, VolumeIdentity root, bool cross,
                                         std::optional<VolumeIdentity> systemRoot,
                                         std::optional<VolumeIdentity> systemData)
    : crossVolumes(cross) {
    allowedDevices.insert(root.device);
    if (root.mountID) allowedMountIDs.insert(*root.mountID);

    // The system volume group: on Linux "/System/Volumes/Data" does not exist, so this
    // only ever groups "/" with itself.
    if ((systemRoot && sameVolume(root, *systemRoot)) || (systemData && sameVolume(root, *systemData))) {
        isSystemVolumeGroup = true;
        for (const auto& id : {systemRoot, systemData}) {
            if (!id) continue;
            allowedDevices.insert(id->device);
            if (id->mountID) allowedMountIDs.insert(*id->mountID);
        }
    }

    for (const Mount& m : table) {
        mountPoints.insert_or_assign(m.path, m.type);
        // No Linux mount flag means "snapshot": only the type decides.
        if (isSkippedFileSystemType(m.type)) excludedMountPoints.insert(m.path);
        if (isRealInodeFileSystemType(m.type)) {
            realInodeMountIDs.insert(m.mountID);
            realInodeDevices.insert(m.device);
        }
        // Entry counts are never trusted on Linux (no file system reports one with
        // the listing), so exactEntryCountDevices stays empty and every folder is opened.
    }
    for (const auto& [path, type] : mountPoints) {
        std::string last = lastPathComponent(path);
        if (!last.empty() && last != "/") mountPointNames.emplace(std::move(last));
    }
}

ScannerVolumePolicy ScannerVolumePolicy::forScan(const std::vector<Mount>& table, VolumeIdentity root,
                                                 bool crossVolumes) {
    return ScannerVolumePolicy(table, root, crossVolumes, volumeIdentityOf("/"),
                               volumeIdentityOf("/System/Volumes/Data"));
}

bool ScannerVolumePolicy::allowsDevice(const VolumeIdentity& volume) const {
    if (crossVolumes) return true;
    if (volume.mountID && !allowedMountIDs.empty()) return allowedMountIDs.count(*volume.mountID) != 0;
    return allowedDevices.count(volume.device) != 0;
}

bool ScannerVolumePolicy::shouldSkip(std::string_view name, std::string_view prefix, const ScannerEntry& entry) const {
    if (entry.isTrigger) return true;
    if (prefix.empty() && isRootSkipName(name)) return true;
    if (!entry.isMountPoint && mountPointNames.find(name) == mountPointNames.end()) return false;
    std::string path;
    path.reserve(prefix.size() + 1 + name.size());
    path.append(prefix).append("/").append(name);
    if (path == "/dev") return true;
    if (mountPoints.find(path) == mountPoints.end() && !entry.isMountPoint) return false;
    if (excludedMountPoints.find(path) != excludedMountPoints.end()) return true;
    if (isSystemVolumeGroup && path.starts_with("/System/Volumes/")) return true;
    return !crossVolumes;
}

bool ScannerVolumePolicy::mayNeedSkipping(std::string_view name, bool inFileSystemRoot,
                                          const ScannerEntry& entry) const {
    return entry.isTrigger || entry.isMountPoint || (inFileSystemRoot && isRootSkipName(name)) ||
           mountPointNames.find(name) != mountPointNames.end();
}

bool ScannerVolumePolicy::listsRealInodes(const VolumeIdentity& volume) const {
    if (volume.mountID) return realInodeMountIDs.count(*volume.mountID) != 0;
    return realInodeDevices.count(volume.device) != 0;
}

bool ScannerVolumePolicy::exactEntryCountUsable(const ScannerEntry& entry) const {
    if (entry.entryCount < 0 || entry.isMountPoint) return false;
    if (entry.flags & (ScannerEntry::restrictedFlag | ScannerEntry::firmlinkFlag)) return false;
    return exactEntryCountDevices.count(entry.device) != 0;
}

} // namespace plenwick
