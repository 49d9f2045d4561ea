#include "uninstaller/Remnant.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace plenwick;

namespace {

Remnant remnant(std::string url, Remnant::Kind kind, std::int64_t size,
                Remnant::Confidence confidence = Remnant::Confidence::certain) {
    return Remnant{std::move(url), kind, confidence, false, size};
}

void writeFile(const std::string& path, std::size_t bytes) { std::ofstream(path) << std::string(bytes, 'x'); }

std::int64_t blocksOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

} // namespace

TEST(Remnant, KindsTitlesAndEquality) {
    EXPECT_EQ(Remnant::kindFromRaw(10), Remnant::Kind::crashReports);
    EXPECT_FALSE(Remnant::kindFromRaw(11).has_value());
    EXPECT_FALSE(Remnant::kindFromRaw(-1).has_value());
    ASSERT_EQ(Remnant::allKinds().size(), 11u);
    // What a Linux user calls the places the leftovers come from.
    EXPECT_STREQ(Remnant::title(Remnant::Kind::preferences), "Settings");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::applicationSupport), "Data");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::caches), "Caches");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::logs), "State and logs");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::containers), "Flatpak data");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::launchItems), "Starts at login");

    // Same url, different confidence: different values, same identity.
    const Remnant a = remnant("/L/Caches/x", Remnant::Kind::caches, 1);
    const Remnant b = remnant("/L/Caches/x", Remnant::Kind::caches, 1, Remnant::Confidence::possible);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
}

TEST(Remnant, SortsByKindThenSizeThenPath) {
    std::vector<Remnant> list{
        remnant("/b", Remnant::Kind::caches, 10'000),
        remnant("/z", Remnant::Kind::caches, 2'000'000'000),
        remnant("/p2", Remnant::Kind::preferences, 1),
        remnant("/a", Remnant::Kind::caches, 10'000),
        remnant("/p1", Remnant::Kind::preferences, 1),
    };
    sortRemnants(list);
    std::vector<std::string> order;
    for (const Remnant& r : list) order.push_back(r.url);
    EXPECT_EQ(order, (std::vector<std::string>{"/p1", "/p2", "/z", "/a", "/b"}));
}

TEST(Remnant, PathAndNameTests) {
    // Inside: the immediate parent or any further one is in the set.
    EXPECT_FALSE(isOutsideAllPaths("/var/cache/x/y", {"/var/cache/x"}));
    EXPECT_FALSE(isOutsideAllPaths("/var/cache/x/y/z", {"/var/cache/x"}));
    // Outside: whole components only, never the path itself, never "/".
    EXPECT_TRUE(isOutsideAllPaths("/var/cache/x/y", {"/var/cach"}));
    EXPECT_TRUE(isOutsideAllPaths("/var/cache/xy", {"/var/cache/x"}));
    EXPECT_TRUE(isOutsideAllPaths("/var/cache/x", {"/var/cache/x"}));
    EXPECT_TRUE(isOutsideAllPaths("/var", {"/"}));
    EXPECT_TRUE(setContainsIgnoringCase({"Foo", "com.Example.App"}, "COM.example.app"));
    EXPECT_FALSE(setContainsIgnoringCase({"Foo"}, "Fo"));
    EXPECT_TRUE(setContainsIgnoringCase({"Caf\xc3\xa9"}, "CAF\xc3\x89"));
    // Names that are not UTF-8 compare by their bytes, not by a shared replacement character.
    EXPECT_FALSE(setContainsIgnoringCase({"Foo\xfe"}, "Foo\xff"));
    EXPECT_FALSE(setContainsIgnoringCase({"Foo\xef\xbf\xbd"}, "Foo\xff"));
    EXPECT_FALSE(setContainsIgnoringCase({"Foo\xff"}, "Foo\xef\xbf\xbd"));
    EXPECT_TRUE(setContainsIgnoringCase({"FOO\xff"}, "foo\xff"));
}

TEST(Remnant, AllocatedSizeCountsFilesNotLinksOrUnreadable) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString(), tree = base + "/tree";
    std::filesystem::create_directories(tree + "/sub/deeper");
    std::filesystem::create_directory(base + "/empty");
    writeFile(tree + "/a", 10'000);
    writeFile(tree + "/sub/deeper/b", 20'000);
    std::filesystem::create_directory_symlink(tree, base + "/link");

    EXPECT_EQ(allocatedSize(tree), blocksOf(tree + "/a") + blocksOf(tree + "/sub/deeper/b"));
    EXPECT_EQ(allocatedSize(tree + "/a"), blocksOf(tree + "/a"));
    EXPECT_EQ(allocatedSize(base + "/empty"), 0);
    EXPECT_EQ(allocatedSize(base + "/link"), blocksOf(base + "/link"));
    EXPECT_EQ(allocatedSize(base + "/missing"), 0);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(allocatedSize(tree, stop.get_token()), 0);
}

TEST(Remnant, AllocatedSizeNeverFollowsAFolderSwappedForALink) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString(), tree = base + "/tree", outside = base + "/outside";
    std::filesystem::create_directories(outside);
    writeFile(outside + "/big", 1 << 20);
    // Empty files beside them widen the gap between listing the folders and opening
    // them (made first: some file systems list the newest entries first).
    std::filesystem::create_directories(tree);
    for (int i = 0; i < 500; ++i) writeFile(tree + "/f" + std::to_string(i), 0);
    constexpr int swapped = 16;
    for (int i = 0; i < swapped; ++i) std::filesystem::create_directories(tree + "/sub" + std::to_string(i));
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        for (int i = 0; !done.load(); i = (i + 1) % swapped) {
            const std::string sub = tree + "/sub" + std::to_string(i), parked = base + "/parked";
            ::rename(sub.c_str(), parked.c_str());
            ::symlink(outside.c_str(), sub.c_str());
            std::this_thread::yield();
            ::unlink(sub.c_str());
            ::rename(parked.c_str(), sub.c_str());
        }
    });
    const std::int64_t away = blocksOf(outside + "/big");
    int escaped = 0;
    for (int run = 0; run < 100; ++run)
        if (allocatedSize(tree) >= away) ++escaped;
    done = true;
    swapper.join();
    EXPECT_EQ(escaped, 0);
}

TEST(Remnant, AllocatedSizeOfADeepBushyTreeIsWhole) {
    // Deeper than the folders the walk keeps open, with a side folder waiting at every
    // level: those let go are opened again and still counted.
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString() + "/tree";
    const std::string tree = folder;
    std::int64_t expected = 0;
    for (int level = 0; level < 150; ++level) {
        for (const char* side : {"s", "t"}) {
            std::filesystem::create_directories(folder + "/" + side);
            writeFile(folder + "/" + side + "/file", 100);
            expected += blocksOf(folder + "/" + side + "/file");
        }
        folder += "/n";
    }
    std::filesystem::create_directories(folder);
    EXPECT_EQ(allocatedSize(tree), expected);
    EXPECT_EQ(allocatedSize(tree + "/n/n/s"), blocksOf(tree + "/n/n/s/file"));
}
