#include "uninstaller/Remnant.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace plenwick;

namespace {

Remnant remnant(std::string url, Remnant::Kind kind, std::int64_t size,
                Remnant::Confidence confidence = Remnant::Confidence::certain) {
    return Remnant{std::move(url), kind, confidence, false, size};
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/plenwick-remnant-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void writeFile(const std::string& path, std::size_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string data(bytes, 'x');
    ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    ::close(fd);
}

} // namespace

TEST(Remnant, KindsTitlesAndEquality) {
    EXPECT_EQ(Remnant::kindFromRaw(10), Remnant::Kind::crashReports);
    EXPECT_FALSE(Remnant::kindFromRaw(11).has_value());
    EXPECT_FALSE(Remnant::kindFromRaw(-1).has_value());
    ASSERT_EQ(Remnant::allKinds().size(), 11u);
    EXPECT_STREQ(Remnant::title(Remnant::Kind::groupContainers), "Shared Containers");
    EXPECT_STREQ(Remnant::title(Remnant::Kind::launchItems), "Launch Agents & Daemons");

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
    EXPECT_FALSE(isInsideAnyPath("/Library/Caches/x/y", {"/Library/Caches/x"}));
    EXPECT_TRUE(isInsideAnyPath("/Library/Caches/x/y", {"/Library/Cach"}));
    EXPECT_TRUE(isInsideAnyPath("/Library", {"/"}));
    EXPECT_TRUE(setContainsIgnoringCase({"Foo", "com.Example.App"}, "COM.example.app"));
    EXPECT_FALSE(setContainsIgnoringCase({"Foo"}, "Fo"));
}

TEST(Remnant, AllocatedSizeCountsFilesNotLinksOrUnreadable) {
    TempDir dir;
    const std::string tree = dir.path() + "/tree";
    std::filesystem::create_directories(tree + "/sub/deeper");
    writeFile(tree + "/a", 10'000);
    writeFile(tree + "/sub/deeper/b", 20'000);
    std::filesystem::create_directory(dir.path() + "/empty");
    std::filesystem::create_directory_symlink(tree, dir.path() + "/link");

    struct stat a, b;
    ASSERT_EQ(::lstat((tree + "/a").c_str(), &a), 0);
    ASSERT_EQ(::lstat((tree + "/sub/deeper/b").c_str(), &b), 0);
    EXPECT_EQ(allocatedSize(tree), (a.st_blocks + b.st_blocks) * 512);
    EXPECT_EQ(allocatedSize(tree + "/a"), a.st_blocks * 512);
    EXPECT_EQ(allocatedSize(dir.path() + "/empty"), 0);
    struct stat link;
    ASSERT_EQ(::lstat((dir.path() + "/link").c_str(), &link), 0);
    EXPECT_EQ(allocatedSize(dir.path() + "/link"), link.st_blocks * 512);
    EXPECT_EQ(allocatedSize(dir.path() + "/missing"), 0);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(allocatedSize(tree, stop.get_token()), 0);
}
