#include "base/MountTable.h"
#include "scanner/VolumeInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

using namespace plenwick;

namespace {

constexpr std::string_view recordedMountInfo =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/root rw\n"
    "23 22 0:5 / /proc rw,nosuid - proc proc rw\n"
    "24 22 259:1 / /boot/efi rw,relatime shared:2 - vfat /dev/nvme0n1p1 rw,fmask=0077\n"
    "25 22 0:40 /@home /home/me rw,relatime shared:3 - btrfs /dev/nvme0n1p3 rw,ssd,subvol=/@home\n"
    "26 22 8:17 / /media/me/My\\040Backup rw,nosuid,nodev shared:4 - exfat /dev/sdb1 rw\n"
    "27 22 8:33 / /run/media/me/Disk\\04010 rw shared:5 - ext4 /dev/sdc1 rw\n"
    "28 22 8:49 / /run/media/me/Disk\\0409 rw shared:6 - ext4 /dev/sdd1 rw\n"
    "29 22 0:50 / /mnt/share rw,relatime shared:7 - nfs4 server:/export rw,vers=4.2,addr=10.0.0.1\n"
    "30 22 259:2 /srv/data /mnt/data-bind rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
    "31 22 7:0 / /snap/core/123 ro,nodev shared:8 - squashfs /dev/loop0 ro\n"
    "32 22 0:60 / /mnt/overlay rw - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
    "33 22 254:0 / /mnt/archive rw shared:9 - ext4 /dev/mapper/vg-archive rw\n"
    "34 22 7:1 / /media/iso ro - iso9660 /dev/loop1 ro\n"
    "35 22 0:70 / /run/media/other/Stick rw - vfat /dev/sde1 rw\n"
    "malformed line\n";

// A machine as the recorded mount table describes it.
VolumeSystem recordedSystem() {
    static const std::map<std::string, std::string> links{
        {"/sys/dev/block/259:2", "/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/nvme0n1p2"},
        {"/sys/class/block/nvme0n1p3", "/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/nvme0n1p3"},
        {"/sys/class/block/sdb1", "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/block/sdb/sdb1"},
        {"/sys/class/block/sdc1", "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/block/sdc/sdc1"},
        {"/sys/class/block/sdd1", "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0/host8/block/sdd/sdd1"},
        {"/dev/mapper/vg-archive", "/dev/dm-0"},
        {"/sys/class/block/dm-0", "/sys/devices/virtual/block/dm-0"},
        {"/sys/devices/virtual/block/dm-0/slaves/nvme0n1p4",
         "/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/nvme0n1p4"},
        {"/dev/disk/by-label/Backup\\x20Drive", "/dev/sdb1"},
        {"/run/media/me/Disk 10/photos", "/run/media/me/Disk 10/photos"},
    };
    static const std::map<std::string, std::string> files{
        {"/sys/devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/removable", "0\n"},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/block/sdb/removable", "1\n"},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/block/sdc/removable", "0\n"},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0/host8/block/sdd/removable", "0\n"},
    };
    static const std::map<std::string, VolumeSpace> spaces{
        {"/", {500'000'000'000, 100'000'000'000}},  {"/home/me", {1'000'000'000'000, 0}},
        {"/media/me/My Backup", {64'000'000'000, 1}}, {"/run/media/me/Disk 10", {10, 5}},
        {"/run/media/me/Disk 9", {9, 4}},           {"/mnt/share", {0, 0}},
        {"/mnt/archive", {2'000'000'000'000, 1'500'000'000'000}},
        {"/mnt/data-bind", {1, 1}}, {"/mnt/overlay", {1, 1}}, {"/boot/efi", {1, 1}},
        {"/snap/core/123", {1, 1}}, {"/run/media/other/Stick", {1, 1}},
        // "/media/iso" cannot be measured.
    };
    static const std::map<std::string, std::uint64_t> mountIDs{
        {"/", 22}, {"/home/me/Documents", 25}, {"/boot/efi/EFI", 24}, {"/run/media/me/Disk 10/photos", 0}};

    auto find = [](const auto& map, const std::string& key) {
        const auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional(it->second);
    };
    VolumeSystem s;
    s.mounts = [] { return parseMountInfo(recordedMountInfo); };
    s.space = [=](const std::string& p) { return find(spaces, p); };
    s.readFile = [=](const std::string& p) { return find(files, p); };
    s.realPath = [=](const std::string& p) -> std::optional<std::string> {
        if (p.starts_with("/sys/") || p == "/dev/root") return find(links, p); // only what is recorded exists
        return find(links, p).value_or(p);
    };
    s.listFolder = [](const std::string& p) {
        if (p == "/dev/disk/by-label") return std::vector<std::string>{"root", "Backup\\x20Drive"};
        if (p == "/sys/devices/virtual/block/dm-0/slaves") return std::vector<std::string>{"nvme0n1p4"};
        return std::vector<std::string>{};
    };
    s.mountID = [=](const std::string& p) { return find(mountIDs, p); };
    s.homeFolder = "/home/me/";
    s.userName = "me";
    return s;
}

std::vector<std::string> urls(const std::vector<VolumeInfo>& volumes) {
    std::vector<std::string> result;
    for (const auto& v : volumes) result.push_back(v.url);
    return result;
}

} // namespace

TEST(MountTable, ParsesEscapesBindMountsAndNetworkMounts) {
    const auto mounts = parseMountInfo(recordedMountInfo);
    ASSERT_EQ(mounts.size(), 14u);
    EXPECT_EQ(mounts[4].path, "/media/me/My Backup");
    EXPECT_EQ(mounts[3].root, "/@home");
    EXPECT_EQ(mounts[3].superOptions, "rw,ssd,subvol=/@home");
    EXPECT_EQ(mounts[7].type, "nfs4");
    EXPECT_EQ(mounts[7].source, "server:/export");
    EXPECT_EQ(mounts[8].root, "/srv/data");
    EXPECT_EQ(mounts[8].device, mounts[0].device);
    EXPECT_EQ(mounts[8].mountID, 30u);
}

TEST(VolumeInfo, ListsWhatAFileManagerShowsInOrder) {
    const auto volumes = VolumeInfo::mountedVolumes(recordedSystem());
    // Left out: pseudo file systems, /boot/efi, a bind mount of a sub-folder, snaps,
    // overlays, another user's media, and a volume that cannot be measured.
    EXPECT_EQ(urls(volumes),
              (std::vector<std::string>{"/", "/mnt/archive", "/home/me", "/media/me/My Backup",
                                        "/run/media/me/Disk 9", "/run/media/me/Disk 10", "/mnt/share"}));
    ASSERT_EQ(volumes.size(), 7u);

    EXPECT_EQ(volumes[0], (VolumeInfo{"/", "File System", 500'000'000'000, 100'000'000'000, true, false, true,
                                      false, "ext4"}));
    // An encrypted or LVM volume answers for the disk below it.
    EXPECT_TRUE(volumes[1].isInternal);
    EXPECT_EQ(volumes[1].name, "archive");
    EXPECT_EQ(volumes[2].name, "me");
    EXPECT_EQ(volumes[2].fileSystem, "Btrfs");
    // A USB stick: the label names it; removable, not internal.
    EXPECT_EQ(volumes[3].name, "Backup Drive");
    EXPECT_TRUE(volumes[3].isRemovable);
    EXPECT_FALSE(volumes[3].isInternal);
    EXPECT_EQ(volumes[3].fileSystem, "exFAT");
    // A USB disk that is not removable media is still not internal.
    EXPECT_FALSE(volumes[4].isRemovable);
    EXPECT_FALSE(volumes[4].isInternal);
    // The network share keeps its zero figures.
    EXPECT_TRUE(volumes[6].isNetwork);
    EXPECT_EQ(volumes[6].fileSystem, "Network (NFS)");
    EXPECT_EQ(volumes[6].totalCapacity, 0);
    EXPECT_FALSE(volumes[0].isNetwork);
}

TEST(VolumeInfo, MakeAndContainingFindTheVolumeOfAPath) {
    const VolumeSystem system = recordedSystem();
    EXPECT_EQ(VolumeInfo::make("/mnt/share/", system)->name, "share");
    EXPECT_FALSE(VolumeInfo::make("/proc", system));
    EXPECT_FALSE(VolumeInfo::make("/nowhere", system));

    EXPECT_EQ(VolumeInfo::containing("/home/me/Documents", system)->url, "/home/me");
    EXPECT_EQ(VolumeInfo::containing("/", system)->url, "/");
    // Without a mount ID from the kernel, the longest mount point above the path.
    EXPECT_EQ(VolumeInfo::containing("/run/media/me/Disk 10/photos", system)->url, "/run/media/me/Disk 10");
    EXPECT_FALSE(VolumeInfo::containing("/no/such/path", system));
    EXPECT_FALSE(VolumeInfo::containing("/boot/efi/EFI", system)); // not a listed volume
}

TEST(VolumeInfo, ASeparateHomePartitionIsListedAndHoldsTheHomeFolder) {
    VolumeSystem system = recordedSystem();
    system.mounts = [] {
        return parseMountInfo("22 1 259:2 / / rw - ext4 /dev/root rw\n"
                              "40 22 259:5 / /home rw - ext4 /dev/nvme0n1p5 rw\n"
                              "41 22 259:6 / /srv rw - ext4 /dev/nvme0n1p6 rw\n");
    };
    system.space = [](const std::string& p) -> std::optional<VolumeSpace> {
        if (p == "/" || p == "/home" || p == "/srv") return VolumeSpace{100, 50};
        return std::nullopt;
    };
    system.mountID = [](const std::string& p) -> std::optional<std::uint64_t> {
        if (p == "/home/me/Music") return 40;
        return std::nullopt;
    };
    EXPECT_EQ(urls(VolumeInfo::mountedVolumes(system)), (std::vector<std::string>{"/", "/home"}));
    EXPECT_EQ(VolumeInfo::containing("/home/me/Music", system)->url, "/home");
}

TEST(VolumeInfo, FiguresLeaveTheRootReserveOutAsDfDoes) {
    // An ext4 volume of 66,053,021 blocks of 4 KiB with 61,439,157 free, of which
    // only 20,470,433 are available to the user: a reserve of 41 million blocks.
    struct statvfs s {};
    s.f_frsize = 4096;
    s.f_bsize = 4096;
    s.f_blocks = 66'053'021;
    s.f_bfree = 61'439'157;
    s.f_bavail = 20'470'433;
    const VolumeSpace space = volumeSpace(s);
    const std::int64_t used = (66'053'021LL - 61'439'157LL) * 4096;
    EXPECT_EQ(space.available, 20'470'433LL * 4096);
    EXPECT_EQ(space.total, used + space.available);
    EXPECT_EQ(space.reserved, (61'439'157LL - 20'470'433LL) * 4096);

    VolumeSystem system = recordedSystem();
    system.space = [&](const std::string&) -> std::optional<VolumeSpace> { return volumeSpace(s); };
    const auto root = VolumeInfo::make("/", system);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->usedCapacity(), used);
    EXPECT_EQ(root->reservedCapacity, space.reserved) << "told where the size is shown";
    // df's Use% for these figures is 19 (it rounds up 18.4); the reserve counted as
    // used would make it 70.
    EXPECT_NEAR(static_cast<double>(root->usedCapacity()) / static_cast<double>(root->totalCapacity), 0.184, 0.001);

    // Without a fragment size the block size is the unit; more free than blocks is nothing used.
    s.f_frsize = 0;
    s.f_bsize = 512;
    s.f_bfree = s.f_blocks + 5;
    EXPECT_EQ(volumeSpace(s).total, volumeSpace(s).available);
    EXPECT_EQ(volumeSpace(s).available, 20'470'433LL * 512);
    EXPECT_EQ(volumeSpace(s).reserved, (s.f_bfree - s.f_bavail) * 512);
    s.f_bavail = s.f_bfree + 1; // more available than free: no reserve
    EXPECT_EQ(volumeSpace(s).reserved, 0);
    s.f_bavail = 20'470'433;
    // Figures beyond 64 bits saturate instead of wrapping.
    s.f_frsize = 1ULL << 40;
    s.f_bfree = 0;
    s.f_bavail = s.f_blocks = 1ULL << 40;
    EXPECT_EQ(volumeSpace(s).total, INT64_MAX);
}

TEST(VolumeInfo, MemoryFileSystemsAndRamDisksAreInternalDiskImagesAreNot) {
    VolumeSystem system = recordedSystem();
    system.mounts = [] {
        return parseMountInfo("22 1 259:2 / / rw - ext4 /dev/root rw\n"
                              "50 22 0:90 / /mnt/scratch ro - tmpfs tmpfs ro,size=4k\n"
                              "51 22 252:0 / /mnt/fast rw - ext4 /dev/zram0 rw\n"
                              "52 22 7:3 / /media/me/image ro - iso9660 /dev/loop3 ro\n");
    };
    system.space = [](const std::string&) -> std::optional<VolumeSpace> { return VolumeSpace{4096, 0}; };
    system.realPath = [](const std::string& p) -> std::optional<std::string> {
        if (p == "/sys/class/block/zram0") return "/sys/devices/virtual/block/zram0";
        if (p == "/sys/class/block/loop3") return "/sys/devices/virtual/block/loop3";
        if (p.starts_with("/sys/")) return std::nullopt;
        return p;
    };
    const auto volumes = VolumeInfo::mountedVolumes(system);
    ASSERT_EQ(urls(volumes), (std::vector<std::string>{"/", "/mnt/fast", "/mnt/scratch", "/media/me/image"}));
    EXPECT_TRUE(volumes[2].isInternal) << "a tmpfs is the machine's memory, not an external disk";
    EXPECT_FALSE(volumes[2].isRemovable);
    EXPECT_EQ(volumes[2].fileSystem, "Memory (tmpfs)");
    EXPECT_TRUE(volumes[1].isInternal) << "a RAM disk";
    EXPECT_FALSE(volumes[3].isInternal) << "a disk image";
}

TEST(VolumeInfo, UsedCapacityIsNeverNegative) {
    VolumeInfo v;
    v.totalCapacity = 100;
    v.availableCapacity = 130; // quotas, or figures read at two moments
    EXPECT_EQ(v.usedCapacity(), 0);
    v.availableCapacity = 30;
    EXPECT_EQ(v.usedCapacity(), 70);
}

TEST(VolumeInfo, SortPutsRootThenInternalThenNamesInBrowserOrder) {
    auto volume = [](std::string name, bool internal, bool root = false) {
        VolumeInfo v;
        v.url = "/media/" + name;
        v.name = std::move(name);
        v.isInternal = internal;
        v.isRootVolume = root;
        return v;
    };
    std::vector<VolumeInfo> volumes{volume("Backup", false), volume("Disk 10", false), volume("Archive", true),
                                    volume("disk 9", false),  volume("Root", true, true), volume("backup", false)};
    VolumeInfo::sortVolumes(volumes);
    std::vector<std::string> names;
    for (const auto& v : volumes) names.push_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Root", "Archive", "Backup", "backup", "disk 9", "Disk 10"}));
}

TEST(VolumeInfo, LiveListingHoldsTheRootWithItsCapacity) {
    const auto volumes = VolumeInfo::mountedVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().url, "/");
    EXPECT_TRUE(volumes.front().isRootVolume);
    EXPECT_GT(volumes.front().totalCapacity, 0);
    EXPECT_LE(volumes.front().availableCapacity, volumes.front().totalCapacity);
    EXPECT_FALSE(volumes.front().name.empty());

    const auto root = VolumeInfo::containing("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->url, "/");
    EXPECT_FALSE(VolumeInfo::containing("/definitely/not/here"));
}
