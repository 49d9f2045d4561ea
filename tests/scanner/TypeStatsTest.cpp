#include "ScanTestSupport.h"

#include "scanner/Color.h"
#include "scanner/FileCategory.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <chrono>
#include <thread>

using namespace plenwick;
using Kind = FileNode::Kind;

namespace {

NodeRef file(std::string_view name, std::int64_t size, Kind kind = Kind::file) {
    return FileNode::make(name, kind, size, size, 1, 0);
}

NodeRef folder(std::string_view name, std::vector<NodeRef> children, Kind kind = Kind::directory) {
    std::int64_t size = 0, count = 0;
    for (const auto& c : children) {
        size += c->size();
        count += c->fileCount();
    }
    NodeRef node = FileNode::make(name, kind, size, size, count, 0);
    node->setChildren(std::move(children));
    return node;
}

// Every entry below `root` that is not a folder, as find ! -type d counts them.
std::int64_t nonFolderEntries(const std::string& root) {
    static std::int64_t count;
    count = 0;
    ::nftw(
        root.c_str(),
        [](const char*, const struct stat* st, int, struct FTW*) {
            if (!S_ISDIR(st->st_mode)) ++count;
            return 0;
        },
        16, FTW_PHYS);
    return count;
}

void expectColor(const RGB& actual, const RGB& expected) {
    EXPECT_NEAR(actual.red, expected.red, 1e-9);
    EXPECT_NEAR(actual.green, expected.green, 1e-9);
    EXPECT_NEAR(actual.blue, expected.blue, 1e-9);
}

} // namespace

TEST(Color, HueWrapsAndExtensionColorsContinueThePalette) {
    expectColor(hsbToRGB(-0.25, 0.5, 0.8), hsbToRGB(0.75, 0.5, 0.8));
    expectColor(hsbToRGB(1.0, 0.5, 0.8), hsbToRGB(0.0, 0.5, 0.8));
    expectColor(hsbToRGB(0.0, 0.5, 0.8), {0.8, 0.4, 0.4});
    expectColor(hsbToRGB(0.58, 0.62, 0.92), {0.3496, 0.646208, 0.92});
    expectColor(hsbToRGB(NAN, 0.5, 0.8), hsbToRGB(0.0, 0.5, 0.8));

    expectColor(extensionColorForIndex(11), {0.35, 0.65, 0.6});
    // 12 × 0.61803398875 = 7.416407865: hue 0.416407865 lies in sector 2.
    expectColor(extensionColorForIndex(12), hsbToRGB(0.416407865, 0.55, 0.85));
    const double f = 0.416407865 * 6 - 2;
    expectColor(extensionColorForIndex(12), {0.3825, 0.85, 0.85 * (1 - 0.55 * (1 - f))});

    const RGB a{1, 0.5, 0}, b{0, 0.5, 1};
    EXPECT_EQ(mixColor(a, 1, b), a);
    EXPECT_EQ(mixColor(a, 0, b), b);
    expectColor(mixColor(a, 0.25, b), {0.25, 0.5, 0.75});
    EXPECT_EQ(RGB{-0.0}, RGB{0.0});
    EXPECT_EQ(std::hash<RGB>{}(RGB{-0.0, 0, 0}), std::hash<RGB>{}(RGB{0.0, 0, 0}));
}

TEST(TypeStats, CountsFilesLinksAndChildlessPackagesOnce) {
    NodeRef hardLinkCopy = FileNode::make("copy.JPG", Kind::file, 0, 0, 1, 0);
    NodeRef tree = folder("/scan", {
        file("a.JPG", 400),
        file("b.jpeg", 300),
        file("c", 50),
        file(".DS_Store", 8),
        hardLinkCopy,
        file("link.jpg", 4, Kind::symlink),
        folder("Proj.xcodeproj", {file("project.pbxproj", 20), file("x.json", 10)}, Kind::package),
        FileNode::make("Notes.rtfd", Kind::package, 64, 64, 3, 0),
        FileNode::make("Locked", Kind::inaccessible, 0, 0, 0, 0),
        folder("deep", {folder("deeper", {file("z.JPG", 2)})}),
    });

    const auto entries = FileTypeStatsBuilder::collect(tree);
    ASSERT_TRUE(entries);
    using Entry = FileTypeStatsBuilder::Entry;
    EXPECT_EQ(entries->at("jpg"), (Entry{400 + 0 + 4 + 2, 4, FileCategory::images}));
    EXPECT_EQ(entries->at("jpeg"), (Entry{300, 1, FileCategory::images}));
    EXPECT_EQ(entries->at(""), (Entry{58, 2, FileCategory::other}));
    EXPECT_EQ(entries->at("pbxproj"), (Entry{20, 1, FileCategory::other}));
    EXPECT_EQ(entries->at("json"), (Entry{10, 1, FileCategory::documents}));
    // A package without children counts as its files, its category by extension.
    EXPECT_EQ(entries->at("rtfd"), (Entry{64, 3, FileCategory::documents}));
    EXPECT_FALSE(entries->contains("xcodeproj"));
    EXPECT_EQ(entries->size(), 6u);

    std::int64_t total = 0;
    for (const auto& [ext, entry] : *entries) total += entry.size;
    EXPECT_EQ(total, tree->size());
}

TEST(TypeStats, AnEmptyPackageCountsNothingAsTheTreeCountsNothing) {
    NodeRef tree = folder("/scan", {FileNode::make("Empty.app", Kind::package, 0, 0, 0, 0), file("a.app", 3)});
    const auto entries = FileTypeStatsBuilder::collect(tree);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at("app").count, 1) << "the file alone";
    EXPECT_EQ(entries->at("app").count, tree->fileCount());

    EXPECT_TRUE(FileTypeStatsBuilder::collect(NodeRef())->empty());
}

TEST(TypeStats, CountsOfAScannedTreeAgreeWithItsFileCountAndWithTheDisk) {
    test::TempTree t;
    t.dir("Empty.app"); // empty packages, which once counted a file each
    t.dir("Notes.rtfd");
    t.dir("Tool.bundle");
    t.dir("Tool.bundle/Contents");
    t.file("Tool.bundle/Contents/run", 100);
    t.dir("empty");
    t.dir("lib");
    t.file("lib/libz.so.1.2.13", 5000);
    t.symlink("libz.so.1.2.13", "lib/libz.so.1");
    t.file("a.txt", 10);
    t.hardlink(t.path("a.txt"), t.path("lib/a-again.txt"));
    t.fifo("pipe");

    for (const bool packages : {true, false}) {
        ScanOptions options;
        options.descendIntoPackages = packages;
        NodeRef root = DiskScanner::scanQuietly(t.root(), options);
        const auto entries = FileTypeStatsBuilder::collect(root);
        ASSERT_TRUE(entries);
        std::int64_t count = 0, size = 0;
        for (const auto& [ext, entry] : *entries) {
            count += entry.count;
            size += entry.size;
        }
        EXPECT_EQ(count, root->fileCount()) << "descending into packages: " << packages;
        EXPECT_EQ(size, root->size());
        EXPECT_EQ(root->fileCount(), nonFolderEntries(t.root()));
        EXPECT_FALSE(entries->contains("rtfd"));
        EXPECT_EQ(entries->at("so").count, 2) << "the library and its link";
    }
}

TEST(TypeStats, VersionedSharedLibrariesTotalAsSharedLibraries) {
    NodeRef tree = folder("/usr/lib", {file("libcusolver.so.12", 700), file("libcusolver.so.12.0.4", 200),
                                       file("libz.so", 100), file("backup.12", 1)});
    const auto entries = FileTypeStatsBuilder::collect(tree);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at("so"), (FileTypeStatsBuilder::Entry{1000, 3, FileCategory::developer}));
    EXPECT_EQ(entries->at("12").count, 1);
    EXPECT_EQ(entries->size(), 2u);
}

TEST(TypeStats, MakeStatsSortsBySizeThenExtensionAndColoursByPosition) {
    FileTypeStatsBuilder::Entries entries;
    for (int i = 0; i < 14; ++i) entries["e" + std::to_string(100 + i)] = {1000 - i, 1, FileCategory::other};
    entries["b"] = {5000, 2, FileCategory::documents};
    entries["a"] = {5000, 3, FileCategory::images};

    const auto stats = FileTypeStatsBuilder::makeStats(entries);
    ASSERT_EQ(stats.size(), 16u);
    EXPECT_EQ(stats[0], (FileTypeStat{"a", FileCategory::images, 5000, 3, extensionPalette()[0]}));
    EXPECT_EQ(stats[1].ext, "b");
    EXPECT_EQ(stats[1].rgb, (RGB{0.95, 0.35, 0.35}));
    EXPECT_EQ(stats[2].ext, "e100");
    EXPECT_EQ(stats[11].rgb, (RGB{0.35, 0.65, 0.6}));
    EXPECT_EQ(stats[12].ext, "e110");
    expectColor(stats[12].rgb, hsbToRGB(0.416407865, 0.55, 0.85));
    EXPECT_EQ(stats[15].ext, "e113");
    EXPECT_TRUE(FileTypeStatsBuilder::makeStats({}).empty());
}

TEST(TypeStats, CancelledWalkReturnsNone) {
    std::vector<NodeRef> files;
    for (int i = 0; i < 3 * static_cast<int>(FileTypeStatsBuilder::batchSize); ++i) files.push_back(file("f.txt", 1));
    NodeRef tree = folder("/scan", std::move(files));

    std::stop_source source;
    source.request_stop();
    EXPECT_FALSE(FileTypeStatsBuilder::collect(tree, source.get_token()));

    // Stopped while a writer holds the lock: the walk gives up at its next check.
    std::stop_source later;
    std::optional<FileTypeStatsBuilder::Entries> result{FileTypeStatsBuilder::Entries{}};
    FileTreeLock::shared().lockWrite();
    std::thread walker([&] { result = FileTypeStatsBuilder::collect(tree, later.get_token()); });
    later.request_stop();
    FileTreeLock::shared().unlockWrite();
    walker.join();
    EXPECT_FALSE(result);
}

// Edits between batches must not pull nodes out from under the walk: run it against
// a writer that keeps detaching folders (the sanitizer build turns a slip into a
// failure).
TEST(TypeStats, TreeEditsBetweenBatchesAreSafe) {
    std::vector<NodeRef> folders;
    for (int f = 0; f < 64; ++f) {
        std::vector<NodeRef> files;
        for (int i = 0; i < 2000; ++i) files.push_back(file("x.dat", 1));
        folders.push_back(folder("d", std::move(files)));
    }
    NodeRef tree = folder("/scan", std::move(folders));

    // The walk visits the last folder first, so removing the first ones takes nodes
    // that it has pushed but not reached yet.
    std::atomic<bool> done = false;
    std::thread writer([&] {
        while (!done) {
            {
                FileTreeLock::WriteGuard guard;
                if (tree->childCount() == 0) break;
                tree->removeChildAt(0);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    std::vector<NodeRef> held;
    const auto entries = FileTypeStatsBuilder::collect(tree, {}, held);
    done = true;
    writer.join();
    ASSERT_TRUE(entries);
    EXPECT_LE(entries->at("dat").count, 64 * 2000);
}
