// The pieces beside the engine: the volume policy on a recorded mount table, the
// package detector, the hard-link set, and the directory reader with its fallback.

#include "ScanTestSupport.h"

#include "scanner/ScannerDirectoryReader.h"
#include "scanner/ScannerHardLinkSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/sysmacros.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// Recorded from a desktop with a btrfs root, a USB stick with a space in its label,
// a bind mount and the usual pseudo file systems.
constexpr std::string_view recordedMountInfo =
    "22 1 0:21 / / rw,relatime shared:1 - btrfs /dev/nvme0n1p2 rw,ssd,subvol=/@\n"
    "23 22 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=8000000k\n"
    "24 23 0:22 / /dev/pts rw,nosuid,noexec shared:3 - devpts devpts rw,gid=5,mode=620\n"
    "25 22 0:23 / /proc rw,nosuid,nodev,noexec shared:5 - proc proc rw\n"
    "26 22 0:24 / /sys rw,nosuid,nodev,noexec shared:6 - sysfs sysfs rw\n"
    "27 26 0:25 / /sys/fs/cgroup rw,nosuid shared:7 - cgroup2 cgroup2 rw\n"
    "28 25 0:26 / /proc/sys/fs/binfmt_misc rw,relatime shared:8 - autofs systemd-1 rw,fd=29\n"
    "29 22 0:27 / /run rw,nosuid,nodev shared:9 - tmpfs tmpfs rw,mode=755\n"
    "30 22 0:21 /@home /home rw,relatime shared:10 - btrfs /dev/nvme0n1p2 rw,ssd,subvol=/@home\n"
    "31 22 8:17 / /media/me/My\\040Stick rw,nosuid shared:11 - vfat /dev/sdb1 rw,uid=1000\n"
    "32 22 0:21 /@/srv/data /mnt/bound rw,relatime shared:1 - btrfs /dev/nvme0n1p2 rw,ssd\n"
    "33 26 0:28 / /sys/kernel/debug rw,nosuid shared:12 - debugfs debugfs rw\n"
    "34 23 0:29 / /dev/mqueue rw,nosuid shared:13 - mqueue mqueue rw\n"
    "35 22 0:30 / /nix rw shared:14 - fuse.sshfs host:/nix rw\n"
    "36 25 0:31 / /proc/sys/fs/x rw,relatime - proc  rw\n" // mounted with an empty source
    "garbage line\n";

ScannerEntry folderEntry(std::string_view name, bool mountPoint = false, bool trigger = false) {
    ScannerEntry e;
    e.name = name.data();
    e.nameLength = name.size();
    e.type = ScannerEntry::Type::directory;
    e.isMountPoint = mountPoint;
    e.isTrigger = trigger;
    return e;
}

ScannerVolumePolicy recordedPolicy(bool cross, VolumeIdentity root = {makedev(0, 21), 22}) {
    return ScannerVolumePolicy(parseMountInfo(recordedMountInfo), root, cross, VolumeIdentity{makedev(0, 21), 22},
                               std::nullopt);
}

} // namespace

TEST(ScannerMountTable, RecordedMountInfoIsParsedAndUnescaped) {
    const auto mounts = parseMountInfo(recordedMountInfo);
    ASSERT_EQ(mounts.size(), 15u);
    EXPECT_EQ(mounts[0].mountID, 22u);
    EXPECT_EQ(mounts[0].path, "/");
    EXPECT_EQ(mounts[0].type, "btrfs");
    EXPECT_EQ(mounts[8].root, "/@home");
    EXPECT_EQ(mounts[9].path, "/media/me/My Stick");
    EXPECT_EQ(mounts[9].device, makedev(8, 17));
    EXPECT_EQ(mounts[13].type, "fuse.sshfs");
    EXPECT_EQ(mounts[14].path, "/proc/sys/fs/x");
    EXPECT_EQ(mounts[14].type, "proc");
    EXPECT_EQ(mounts[14].source, "");
    EXPECT_EQ(mounts[14].superOptions, "rw");
    EXPECT_EQ(unescapeMountField("a\\011b\\012c\\134d\\040e"), "a\tb\nc\\d e");

    // This machine's own table has a root mount.
    const auto own = readMountTable();
    EXPECT_TRUE(std::any_of(own.begin(), own.end(), [](const Mount& m) { return m.path == "/"; }));
}

TEST(ScannerVolumePolicy, PseudoAndAutomountFileSystemsAreExcluded) {
    const ScannerVolumePolicy policy = recordedPolicy(false);
    for (const char* p : {"/dev", "/dev/pts", "/proc", "/sys", "/sys/fs/cgroup", "/proc/sys/fs/binfmt_misc",
                          "/sys/kernel/debug", "/dev/mqueue", "/proc/sys/fs/x"})
        EXPECT_TRUE(policy.excludedMountPoints.count(p)) << p;
    for (const char* p : {"/", "/run", "/home", "/media/me/My Stick", "/mnt/bound", "/nix"})
        EXPECT_FALSE(policy.excludedMountPoints.count(p)) << p;
    EXPECT_EQ(policy.mountPoints.size(), 15u);
    EXPECT_EQ(policy.mountPoints.at("/media/me/My Stick"), "vfat");
    for (const char* n : {"dev", "pts", "proc", "sys", "cgroup", "binfmt_misc", "run", "home", "My Stick", "bound"})
        EXPECT_TRUE(policy.mountPointNames.count(n)) << n;
    EXPECT_FALSE(policy.mountPointNames.count("")); // "/" gives no name
    EXPECT_TRUE(policy.exactEntryCountDevices.empty());
    for (const char* type : {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
                             "tracefs", "configfs", "pstore", "bpf", "mqueue", "hugetlbfs", "fusectl",
                             "binfmt_misc", "efivarfs", "nsfs", "autofs", "devfs", "devicefs", "nullfs"})
        EXPECT_TRUE(ScannerVolumePolicy::isSkippedFileSystemType(type)) << type;
    for (const char* type : {"ext4", "btrfs", "tmpfs", "vfat", "nfs", "fuse.sshfs", "overlay"})
        EXPECT_FALSE(ScannerVolumePolicy::isSkippedFileSystemType(type)) << type;
}

TEST(ScannerVolumePolicy, SkipRulesInTheirOrder) {
    const ScannerVolumePolicy stay = recordedPolicy(false);
    const ScannerVolumePolicy cross = recordedPolicy(true);
    // 1. automount triggers, always
    EXPECT_TRUE(cross.shouldSkip("auto", "/home/me", folderEntry("auto", false, true)));
    // 2. the hidden names directly under "/" only
    EXPECT_TRUE(cross.shouldSkip(".vol", "", folderEntry(".vol")));
    EXPECT_TRUE(cross.shouldSkip(".nofollow", "", folderEntry(".nofollow")));
    EXPECT_FALSE(stay.shouldSkip(".vol", "/home", folderEntry(".vol")));
    // 3. an ordinary folder
    EXPECT_FALSE(stay.shouldSkip("Documents", "/home/me", folderEntry("Documents")));
    // A folder named like a mount point but not one is kept.
    EXPECT_FALSE(stay.shouldSkip("home", "/srv", folderEntry("home")));
    EXPECT_FALSE(stay.shouldSkip("dev", "/home/me/src", folderEntry("dev")));
    // 5. "/dev" always
    EXPECT_TRUE(cross.shouldSkip("dev", "", folderEntry("dev", true)));
    EXPECT_TRUE(cross.shouldSkip("dev", "", folderEntry("dev", false)));
    // 7. excluded types, even when crossing volumes
    EXPECT_TRUE(cross.shouldSkip("proc", "", folderEntry("proc", true)));
    EXPECT_TRUE(cross.shouldSkip("cgroup", "/sys/fs", folderEntry("cgroup", true)));
    // 9. another mount: skipped unless crossing
    EXPECT_TRUE(stay.shouldSkip("home", "", folderEntry("home", true)));
    EXPECT_FALSE(cross.shouldSkip("home", "", folderEntry("home", true)));
    EXPECT_TRUE(stay.shouldSkip("My Stick", "/media/me", folderEntry("My Stick", true)));
    EXPECT_FALSE(cross.shouldSkip("My Stick", "/media/me", folderEntry("My Stick", true)));
    EXPECT_TRUE(stay.shouldSkip("bound", "/mnt", folderEntry("bound", true)));   // a bind mount is another mount
    EXPECT_TRUE(stay.shouldSkip("late", "/mnt", folderEntry("late", true)));     // mounted after the table was read
    EXPECT_FALSE(cross.shouldSkip("late", "/mnt", folderEntry("late", true)));
    // Listed in the table but not (or no longer) a mount point by its entry: still by path.
    EXPECT_TRUE(stay.shouldSkip("run", "", folderEntry("run", false)));
}

TEST(ScannerVolumePolicy, AnotherVolumeMeansAnotherMount) {
    const ScannerVolumePolicy policy = recordedPolicy(false);
    // A btrfs subvolume: its own device number, the same mount.
    EXPECT_TRUE(policy.allowsDevice({makedev(0, 45), 22}));
    EXPECT_TRUE(policy.allowsDevice({makedev(0, 21), 22}));
    // A bind mount of the same file system: same device, another mount.
    EXPECT_FALSE(policy.allowsDevice({makedev(0, 21), 32}));
    EXPECT_FALSE(policy.allowsDevice({makedev(8, 17), 31}));
    EXPECT_TRUE(recordedPolicy(true).allowsDevice({makedev(8, 17), 31}));
    // Without mount IDs (old kernels) the device decides.
    const ScannerVolumePolicy old(parseMountInfo(recordedMountInfo), {makedev(0, 21), std::nullopt}, false,
                                  std::nullopt, std::nullopt);
    EXPECT_TRUE(old.allowsDevice({makedev(0, 21), std::nullopt}));
    EXPECT_FALSE(old.allowsDevice({makedev(0, 45), std::nullopt}));
    // 64-bit devices are kept whole.
    const dev_t wide = makedev(0x12345, 0x6789a);
    const ScannerVolumePolicy big({}, {wide, std::nullopt}, false, std::nullopt, std::nullopt);
    EXPECT_TRUE(big.allowsDevice({wide, std::nullopt}));
    EXPECT_FALSE(big.allowsDevice({static_cast<std::uint32_t>(wide), std::nullopt}));
}

TEST(ScannerVolumePolicy, SystemVolumeGroupAndEntryCounts) {
    const ScannerVolumePolicy atRoot = recordedPolicy(false);
    EXPECT_TRUE(atRoot.isSystemVolumeGroup);
    EXPECT_TRUE(atRoot.shouldSkip("Data", "/System/Volumes", folderEntry("Data", true)));
    const ScannerVolumePolicy elsewhere = recordedPolicy(false, {makedev(8, 17), 31});
    EXPECT_FALSE(elsewhere.isSystemVolumeGroup);
    EXPECT_EQ(elsewhere.allowedMountIDs, (std::unordered_set<std::uint64_t>{31}));

    // No entry count is trusted on Linux.
    ScannerEntry e = folderEntry("x");
    e.entryCount = 0;
    e.device = makedev(0, 21);
    EXPECT_FALSE(atRoot.exactEntryCountUsable(e));
    ScannerVolumePolicy hfs(parseMountInfo("40 1 0:50 / /mnt/mac rw - hfs /dev/sdc1 rw\n"), {makedev(0, 50), 40},
                            false, std::nullopt, std::nullopt);
    e.device = makedev(0, 50);
    EXPECT_FALSE(hfs.exactEntryCountUsable(e));
    EXPECT_TRUE(hfs.exactEntryCountDevices.empty());
}

TEST(ScannerVolumePolicy, OnlyLocalFileSystemsWithRealInodesAreListedAlone) {
    const auto table = parseMountInfo("21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                      "22 21 0:40 / /tmp rw - tmpfs tmpfs rw\n"
                                      "23 21 0:41 / /net rw - nfs4 srv:/x rw\n"
                                      "24 21 0:42 / /tank rw - zfs tank rw\n"
                                      "25 21 0:43 / /home/me/remote rw - fuse.sshfs me@host: rw\n");
    const ScannerVolumePolicy policy(table, {makedev(8, 1), 21}, false, std::nullopt, std::nullopt);
    EXPECT_TRUE(policy.listsRealInodes({makedev(8, 1), 21}));
    EXPECT_TRUE(policy.listsRealInodes({makedev(0, 40), 22}));
    EXPECT_FALSE(policy.listsRealInodes({makedev(0, 41), 23}));
    EXPECT_FALSE(policy.listsRealInodes({makedev(0, 42), 24})); // snapshot folders mount when opened
    EXPECT_FALSE(policy.listsRealInodes({makedev(0, 43), 25}));
    EXPECT_TRUE(policy.listsRealInodes({makedev(0, 40), std::nullopt})); // by device without mount IDs
    EXPECT_FALSE(policy.listsRealInodes({makedev(0, 99), 99}));
}

TEST(ScannerVolumePolicy, RealScanStaysOnItsMount) {
    // /proc lies on another mount than /tmp: a bind-free check on this machine's own
    // table that mount roots are recognised by their entries.
    const auto table = readMountTable();
    const auto root = volumeIdentityOf("/");
    ASSERT_TRUE(root);
    const ScannerVolumePolicy policy = ScannerVolumePolicy::forScan(table, *root, false);
    ScannerDirectoryReader reader;
    const int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    bool sawProc = false;
    while (reader.readBatch(fd) > 0) {
        ScannerEntry e;
        while (reader.next(fd, root->device, root->mountID.value_or(0), root->mountID.has_value(),
                           policy.listsRealInodes(*root), e)) {
            if (e.nameView() == "proc") {
                sawProc = true;
                // Taken from the listing alone, a mount point is known by the mount table.
                EXPECT_TRUE(e.statusDeferred || e.isMountPoint);
                EXPECT_TRUE(policy.mayNeedSkipping("proc", true, e));
                EXPECT_TRUE(policy.shouldSkip("proc", "", e));
            }
            if (e.nameView() == "usr") {
                EXPECT_FALSE(policy.mayNeedSkipping("usr", true, e) && policy.shouldSkip("usr", "", e));
            }
        }
    }
    ::close(fd);
    EXPECT_TRUE(sawProc);
}

TEST(ScannerHardLinkSet, ShardsByMultiplicativeHashAndKeysByDeviceAndInode) {
    EXPECT_EQ(ScannerHardLinkSet::shardIndex(0), 0u);
    EXPECT_EQ(ScannerHardLinkSet::shardIndex(1), 0x9u);   // 0x9E37… >> 60
    EXPECT_EQ(ScannerHardLinkSet::shardIndex(2), 0x3u);   // 0x3C6E… (wrapped)
    std::set<unsigned> used;
    for (std::uint64_t inode = 1000; inode < 1064; ++inode) used.insert(ScannerHardLinkSet::shardIndex(inode));
    EXPECT_EQ(used.size(), 16u); // consecutive inodes spread over every shard

    ScannerHardLinkSet set;
    EXPECT_TRUE(set.insert(makedev(8, 1), 42));
    EXPECT_FALSE(set.insert(makedev(8, 1), 42));
    EXPECT_TRUE(set.insert(makedev(8, 2), 42));
    const std::uint64_t wide = makedev(0x12345, 1);
    EXPECT_TRUE(set.insert(wide, 42));
    EXPECT_TRUE(set.insert(static_cast<std::uint32_t>(wide), 42)); // not confused with its low half
    EXPECT_EQ(set.size(), 4u);
}

namespace {
struct Listed {
    ScannerEntry::Type type;
    std::int64_t allocated, length;
    std::uint64_t inode;
    std::uint32_t links;
    bool error;
    friend bool operator==(const Listed&, const Listed&) = default;
};

std::map<std::string, Listed> listWithGetdents(const std::string& path, int* batches = nullptr,
                                               bool deferFolders = false) {
    ScannerDirectoryReader reader;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(fd >= 0, "open");
    struct stat st;
    ::fstat(fd, &st);
    std::map<std::string, Listed> out;
    int count = 0;
    while (reader.readBatch(fd) > 0) {
        ++count;
        ScannerEntry e;
        while (reader.next(fd, st.st_dev, 0, false, deferFolders, e)) {
            const bool fresh = out.emplace(std::string(e.nameView()),
                                           Listed{e.type, e.allocatedSize, e.totalSize, e.fileID, e.linkCount, e.hasError})
                                   .second;
            check(fresh, "listed twice");
        }
    }
    ::close(fd);
    if (batches) *batches = count;
    return out;
}

std::map<std::string, Listed> listWithFallback(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(fd >= 0, "open");
    struct stat st;
    ::fstat(fd, &st);
    std::map<std::string, Listed> out;
    const auto result = ScannerDirectoryReader::readFallback(
        fd, st.st_dev, [] { return false; },
        [&](const ScannerEntry& e) {
            out.emplace(std::string(e.nameView()),
                        Listed{e.type, e.allocatedSize, e.totalSize, e.fileID, e.linkCount, e.hasError});
        });
    ::close(fd);
    check(result.status == ScannerDirectoryReader::FallbackStatus::completed, "fallback");
    return out;
}
} // namespace

TEST(ScannerDirectoryReader, BothListingsGiveTheSameEntries) {
    TempTree t;
    t.file("file", 5000);
    t.dir("dir");
    t.symlink("file", "link");
    t.fifo("pipe");
    t.hardlink(t.path("file"), t.path("twin"));
    const auto fast = listWithGetdents(t.root());
    const auto slow = listWithFallback(t.root());
    EXPECT_EQ(fast, slow);
    ASSERT_EQ(fast.size(), 5u);
    EXPECT_FALSE(fast.count("."));
    EXPECT_FALSE(fast.count(".."));
    EXPECT_EQ(fast.at("file").type, ScannerEntry::Type::file);
    EXPECT_EQ(fast.at("file").links, 2u);
    EXPECT_EQ(fast.at("file").inode, fast.at("twin").inode);
    EXPECT_EQ(fast.at("dir").type, ScannerEntry::Type::directory);
    EXPECT_EQ(fast.at("link").type, ScannerEntry::Type::symlink);
    EXPECT_EQ(fast.at("link").length, 4);
    EXPECT_EQ(fast.at("pipe").type, ScannerEntry::Type::other);

    // Folders taken from the listing alone: the same type and inode, no statx.
    auto deferred = listWithGetdents(t.root(), nullptr, true);
    struct stat dir;
    ASSERT_EQ(::stat(t.path("dir").c_str(), &dir), 0);
    EXPECT_EQ(deferred.at("dir").type, ScannerEntry::Type::directory);
    EXPECT_EQ(deferred.at("dir").inode, dir.st_ino);
    EXPECT_EQ(deferred.at("dir").allocated, 0);
    deferred.erase("dir");
    auto full = fast;
    full.erase("dir");
    EXPECT_EQ(deferred, full);
}

TEST(ScannerDirectoryReader, NamesOfEveryLengthAreReadWhole) {
    TempTree t;
    std::set<std::string> made;
    for (std::size_t length = 1; length <= 255; ++length) {
        if (length > 40 && length < 248) continue;
        std::string name(length, static_cast<char>('a' + length % 26));
        if (name == "." || name == "..") continue;
        t.file(name);
        made.insert(name);
    }
    std::set<std::string> listed;
    for (const auto& [name, entry] : listWithGetdents(t.root())) listed.insert(name);
    EXPECT_EQ(listed, made);
}

TEST(ScannerDirectoryReader, ABigFolderTakesSeveralBatchesAndYieldsEachEntryOnce) {
    TempTree t;
    const std::string padding(180, 'p');
    for (int i = 0; i < 3000; ++i) t.file(padding + std::to_string(i));
    int batches = 0;
    const auto listed = listWithGetdents(t.root(), &batches);
    EXPECT_EQ(listed.size(), 3000u);
    EXPECT_GE(batches, 2);
    EXPECT_EQ(listWithFallback(t.root()).size(), 3000u);
}

TEST(ScannerDirectoryReader, EntryRemovedAfterTheListingIsDropped) {
    TempTree t;
    t.file("stays", 1);
    t.file("goes", 1);
    ScannerDirectoryReader reader;
    const int fd = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_GT(reader.readBatch(fd), 0);
    ASSERT_EQ(::unlink(t.path("goes").c_str()), 0);
    std::vector<std::string> names;
    ScannerEntry e;
    while (reader.next(fd, 0, 0, false, false, e)) {
        names.emplace_back(e.nameView());
        EXPECT_FALSE(e.hasError);
    }
    EXPECT_EQ(names, std::vector<std::string>{"stays"});
    EXPECT_EQ(reader.readBatch(fd), 0);
    ::close(fd);
}

TEST(ScannerDirectoryReader, FallbackStopsWhenCancelled) {
    TempTree t;
    for (int i = 0; i < 600; ++i) t.file("f" + std::to_string(i));
    const int fd = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    int seen = 0;
    const auto result = ScannerDirectoryReader::readFallback(
        fd, 0, [&] { return seen >= 100; }, [&](const ScannerEntry&) { ++seen; });
    ::close(fd);
    EXPECT_EQ(result.status, ScannerDirectoryReader::FallbackStatus::cancelled);
    EXPECT_LT(seen, 600);
}
