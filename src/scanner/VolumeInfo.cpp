#include "scanner/VolumeInfo.h"

#include "base/NaturalOrder.h"
#include "base/PathNames.h"
#include "base/Utf8.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <array>

namespace plenwick {
namespace {

// True when `path` lies strictly below the folder `folder` (given without a trailing slash).
bool isBelow(std::string_view path, std::string_view folder) noexcept {
    return path.size() > folder.size() + 1 && path.substr(0, folder.size()) == folder && path[folder.size()] == '/';
}

// True when `path` is `folder` or lies below it.
bool isAtOrBelow(std::string_view path, std::string_view folder) noexcept {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path == folder || isBelow(path, folder);
}

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> list) noexcept {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Kernel interfaces, system plumbing and read-only images that are not places to
// store files.
bool isSystemType(std::string_view type) noexcept {
    return isOneOf(type, {"proc",       "sysfs",       "devtmpfs",  "devpts",      "cgroup",      "cgroup2",
                          "tracefs",    "debugfs",     "securityfs", "bpf",        "pstore",      "configfs",
                          "fusectl",    "mqueue",      "hugetlbfs", "autofs",      "binfmt_misc", "efivarfs",
                          "rpc_pipefs", "nsfs",        "selinuxfs", "ramfs",       "squashfs",    "overlay",
                          "fuse.fuse-overlayfs", "fuse.portal", "fuse.gvfsd-fuse", "fuse.snapfuse", "erofs"});
}

// File systems that live in memory: part of the machine, whatever holds them.
bool isMemoryType(std::string_view type) noexcept { return isOneOf(type, {"tmpfs", "ramfs"}); }

bool isNetworkType(std::string_view type) noexcept {
    return isOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph", "fuse.sshfs", "glusterfs",
                          "fuse.glusterfs", "davfs", "fuse.davfs2", "afs", "lustre", "fuse.rclone", "fuse.s3fs",
                          "ncpfs", "coda", "fuse.cephfs"});
}

std::string describeFileSystem(std::string_view type) {
    struct Name {
        std::string_view type;
        std::string_view description;
    };
    static constexpr std::array<Name, 34> names{{
        {"ext2", "ext2"},
        {"ext3", "ext3"},
        {"ext4", "ext4"},
        {"btrfs", "Btrfs"},
        {"xfs", "XFS"},
        {"zfs", "ZFS"},
        {"f2fs", "F2FS"},
        {"jfs", "JFS"},
        {"reiserfs", "ReiserFS"},
        {"bcachefs", "bcachefs"},
        {"vfat", "FAT"},
        {"msdos", "FAT"},
        {"exfat", "exFAT"},
        {"ntfs", "NTFS"},
        {"ntfs3", "NTFS"},
        {"fuse.ntfs-3g", "NTFS"},
        {"hfsplus", "Mac OS Extended"},
        {"hfs", "Mac OS Standard"},
        {"apfs", "APFS"},
        {"iso9660", "ISO 9660"},
        {"udf", "UDF"},
        {"tmpfs", "Memory (tmpfs)"},
        {"nfs", "Network (NFS)"},
        {"nfs4", "Network (NFS)"},
        {"cifs", "Network (SMB)"},
        {"smb3", "Network (SMB)"},
        {"smbfs", "Network (SMB)"},
        {"9p", "Network (9P)"},
        {"ceph", "Network (Ceph)"},
        {"fuse.cephfs", "Network (Ceph)"},
        {"fuse.sshfs", "Network (SSHFS)"},
        {"glusterfs", "Network (GlusterFS)"},
        {"davfs", "Network (WebDAV)"},
        {"fuse.davfs2", "Network (WebDAV)"},
    }};
    for (const Name& n : names)
        if (n.type == type) return std::string(n.description);
    return {};
}

// A mount that shows only a sub-folder of its file system (a bind mount), unless
// that sub-folder is the btrfs subvolume it was asked for.
bool isSubfolderMount(const Mount& m) {
    if (m.root == "/") return false;
    const std::string subvolume = "subvol=" + m.root;
    const std::string_view options = m.superOptions;
    for (std::size_t i = 0; i < options.size();) {
        const std::size_t comma = std::min(options.find(',', i), options.size());
        if (options.substr(i, comma - i) == subvolume) return false;
        i = comma + 1;
    }
    return true;
}

// Which mounts a file manager offers: the root, what is mounted below /media,
// /run/media/<user> and /mnt, and the mount that holds the home folder (a home
// partition of its own, at the home folder or at /home).
bool isBrowsable(const Mount& m, const VolumeSystem& system) {
    if (m.path == "/") return true;
    if (isSystemType(m.type) || isSubfolderMount(m)) return false;
    if (m.path.starts_with("/boot") || isAtOrBelow(m.path, "/snap")) return false;
    if (isBelow(m.path, "/media") || isBelow(m.path, "/mnt")) return true;
    if (!system.userName.empty() && isBelow(m.path, "/run/media/" + system.userName)) return true;
    return !system.homeFolder.empty() && isAtOrBelow(withoutTrailingSlashes(system.homeFolder), m.path);
}

// Undoes udev's \xHH escapes in /dev/disk/by-label names.
std::string unescapeUdev(std::string_view name) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0 &&
            hex(name[i + 3]) >= 0) {
            out.push_back(static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3])));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

// The device node a mount comes from, links resolved; none for mounts without one.
std::optional<std::string> deviceNode(const Mount& m, const VolumeSystem& system) {
    if (!m.source.starts_with("/dev/")) return std::nullopt;
    return system.realPath(m.source).value_or(m.source);
}

std::optional<std::string> labelOf(const Mount& m, const VolumeSystem& system) {
    const auto device = deviceNode(m, system);
    if (!device) return std::nullopt;
    const std::string folder = "/dev/disk/by-label";
    for (const std::string& entry : system.listFolder(folder)) {
        if (system.realPath(folder + "/" + entry) == device) {
            std::string label = repairUtf8(unescapeUdev(entry));
            if (!label.empty()) return label;
        }
    }
    return std::nullopt;
}

struct DeviceFacts {
    bool isRemovable = false;
    bool isInternal = false;
};

bool flagIsSet(const std::optional<std::string>& text) noexcept { return text && !text->empty() && (*text)[0] == '1'; }

// Reads the block device's sysfs folder: its removable flag (a partition's is on
// the whole disk, its parent folder) and whether it hangs off USB. Mapped devices
// (encryption, LVM, RAID) answer for the first device below them.
DeviceFacts factsOf(const std::string& sysPath, const VolumeSystem& system, int depth) {
    DeviceFacts facts;
    if (sysPath.find("/devices/virtual/") != std::string::npos) {
        if (depth >= 4) return facts;
        for (const std::string& slave : system.listFolder(sysPath + "/slaves"))
            if (const auto below = system.realPath(sysPath + "/slaves/" + slave))
                return factsOf(*below, system, depth + 1);
        // A RAM disk lives in the machine's memory; a loop device (a disk image) is
        // neither internal nor removable.
        const std::string name = lastPathComponent(sysPath);
        facts.isInternal = name.starts_with("zram") || name.starts_with("ram");
        return facts;
    }
    auto removable = system.readFile(sysPath + "/removable");
    if (!removable) removable = system.readFile(sysPath.substr(0, sysPath.rfind('/')) + "/removable");
    facts.isRemovable = flagIsSet(removable);
    facts.isInternal = !facts.isRemovable && sysPath.find("/usb") == std::string::npos;
    return facts;
}

DeviceFacts deviceFacts(const Mount& m, const VolumeSystem& system) {
    const auto device = deviceNode(m, system);
    if (!device) return {};
    auto sysPath = system.realPath("/sys/class/block/" + lastPathComponent(*device));
    // A source without a node of its own ("/dev/root") is found by its device number.
    if (!sysPath && major(m.device) != 0)
        sysPath = system.realPath("/sys/dev/block/" + std::to_string(major(m.device)) + ":" +
                                  std::to_string(minor(m.device)));
    if (!sysPath) return {};
    return factsOf(*sysPath, system, 0);
}

std::optional<VolumeInfo> volumeOf(const Mount& m, const VolumeSystem& system) {
    if (!isBrowsable(m, system)) return std::nullopt;
    const auto space = system.space(m.path);
    if (!space) return std::nullopt;
    VolumeInfo v;
    v.url = m.path;
    const auto label = labelOf(m, system);
    if (label) v.name = *label;
    else if (m.path == "/") v.name = "File System";
    else v.name = repairUtf8(lastPathComponent(m.path));
    v.totalCapacity = std::max<std::int64_t>(space->total, 0);
    v.availableCapacity = std::max<std::int64_t>(space->available, 0);
    v.reservedCapacity = std::max<std::int64_t>(space->reserved, 0);
    const DeviceFacts facts = deviceFacts(m, system);
    v.isInternal = facts.isInternal || isMemoryType(m.type);
    v.isRemovable = facts.isRemovable;
    v.isRootVolume = m.path == "/";
    v.isNetwork = isNetworkType(m.type);
    v.fileSystem = describeFileSystem(m.type);
    return v;
}

// The mount that is visible at `path`: the last one mounted there.
const Mount* topMountAt(const std::vector<Mount>& mounts, std::string_view path) {
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it)
        if (it->path == path) return &*it;
    return nullptr;
}

} // namespace

std::optional<VolumeInfo> VolumeInfo::make(std::string_view url, const VolumeSystem& system) {
    const auto mounts = system.mounts();
    const Mount* m = topMountAt(mounts, withoutTrailingSlashes(url));
    return m ? volumeOf(*m, system) : std::nullopt;
}

std::vector<VolumeInfo> VolumeInfo::mountedVolumes(const VolumeSystem& system) {
    const auto mounts = system.mounts();
    std::vector<VolumeInfo> volumes;
    for (const Mount& m : mounts) {
        if (topMountAt(mounts, m.path) != &m) continue; // covered by a later mount
        if (auto v = volumeOf(m, system)) volumes.push_back(std::move(*v));
    }
    sortVolumes(volumes);
    return volumes;
}

std::optional<VolumeInfo> VolumeInfo::containing(std::string_view path, const VolumeSystem& system) {
    const std::string target(path);
    const auto id = system.mountID(target);
    if (!id) return std::nullopt;
    const auto mounts = system.mounts();
    if (*id != 0)
        for (const Mount& m : mounts)
            if (m.mountID == *id) return volumeOf(m, system);
    // No mount ID to go by: the longest mount point above the resolved path.
    const std::string resolved = system.realPath(target).value_or(target);
    const Mount* best = nullptr;
    for (const Mount& m : mounts)
        if (isAtOrBelow(resolved, m.path) && (!best || m.path.size() >= best->path.size())) best = &m;
    return best ? volumeOf(*best, system) : std::nullopt;
}

void VolumeInfo::sortVolumes(std::vector<VolumeInfo>& volumes) {
    std::stable_sort(volumes.begin(), volumes.end(), [](const VolumeInfo& a, const VolumeInfo& b) {
        if (a.isRootVolume != b.isRootVolume) return a.isRootVolume;
        if (a.isInternal != b.isInternal) return a.isInternal;
        return naturalCompare(a.name, b.name) < 0;
    });
}

} // namespace plenwick
