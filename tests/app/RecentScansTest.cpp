#include "app/RecentScans.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

namespace plenwick::test {
namespace {

using std::chrono::system_clock;

std::vector<std::string> paths(const std::vector<RecentScan>& scans) {
    std::vector<std::string> out;
    for (const RecentScan& scan : scans) out.push_back(scan.path);
    return out;
}

TEST(RecentScans, StoredFormKeepsMemberOrderAndLeavesAnAbsentSizeOut) {
    const std::vector<RecentScan> scans{{"/home/ann/Projects", 745000000.25, 123456}, {"/", 744999000, std::nullopt},
                                        {"/srv/empty", 1.5, 0}};
    const QByteArray stored = RecentScans::encode(scans);
    EXPECT_EQ(stored, R"([{"path":"/home/ann/Projects","date":745000000.25,"size":123456},)"
                      R"({"path":"/","date":744999000},{"path":"/srv/empty","date":1.5,"size":0}])");
    EXPECT_EQ(RecentScans::decode(stored), scans) << "a size of 0 is kept apart from no size";
    EXPECT_TRUE(RecentScans::decode({}).empty());
    EXPECT_EQ(RecentScans::encode({}), "[]");
}

TEST(RecentScans, OneBadElementIsSkippedAndTheOthersKept) {
    const QByteArray stored = R"([
        {"date": 10, "path": "/a", "extra": true},
        {"path": "/no-date"},
        {"path": 42, "date": 1},
        "not an object",
        {"path": "/fraction", "date": 3, "size": 1.5},
        {"path": "/text-size", "date": 3, "size": "12"},
        {"path": "/null-size", "date": 4, "size": null},
        {"path": "/whole-double", "date": 5, "size": 1.0e9},
        {"path": "/bad-date", "date": "yesterday"},
        {"path": "/b", "date": 6.5, "size": 7}
    ])";
    const std::vector<RecentScan> scans = RecentScans::decode(stored);
    ASSERT_EQ(paths(scans), (std::vector<std::string>{"/a", "/null-size", "/whole-double", "/b"}));
    EXPECT_EQ(scans[0].date, 10);
    EXPECT_EQ(scans[1].size, std::nullopt);
    EXPECT_EQ(scans[2].size, 1000000000) << "a whole number written as a double is a size";
    EXPECT_EQ(scans[3].size, 7);

    for (const char* other : {"", "not json", "{\"path\":\"/a\",\"date\":1}", "42", "[1, 2"})
        EXPECT_TRUE(RecentScans::decode(other).empty()) << other;
}

TEST(RecentScans, AddingNormalisesThePath) {
    auto first = [](const std::string& path) { return RecentScans::adding(path, std::nullopt, 1, {}).front().path; };
    EXPECT_EQ(first("/"), "/");
    EXPECT_EQ(first("/media/ann/Backup/"), "/media/ann/Backup");
    EXPECT_EQ(first("/home/ann/./Music/../Projects"), "/home/ann/Projects");
    EXPECT_EQ(first("/home/ann/Mes documents/été"), "/home/ann/Mes documents/été") << "stored as the raw bytes";
}

TEST(RecentScans, AddingMergesEntriesOfThePath) {
    std::vector<RecentScan> scans = RecentScans::adding("/a", 100, 1, {});
    scans = RecentScans::adding("/b", std::nullopt, 2, scans);
    scans = RecentScans::adding("/a/", std::nullopt, 3, scans);
    ASSERT_EQ(paths(scans), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(scans[0].date, 3);
    EXPECT_EQ(scans[0].size, 100) << "a record without a size keeps the size known before";
    scans = RecentScans::adding("/a", 0, 4, scans);
    EXPECT_EQ(scans[0].size, 0) << "a new size replaces it, 0 included";

    // Stored duplicates: all go, the first one's size stays.
    const std::vector<RecentScan> stored{{"/x", 1, 10}, {"/y", 1, 20}, {"/x", 1, 30}};
    const std::vector<RecentScan> added = RecentScans::adding("/x", std::nullopt, 9, stored);
    ASSERT_EQ(paths(added), (std::vector<std::string>{"/x", "/y"}));
    EXPECT_EQ(added[0].size, 10);
    EXPECT_EQ(paths(RecentScans::removing("/x", stored)), std::vector<std::string>{"/y"});
}

TEST(RecentScans, PathsCompareByTheirBytes) {
    const std::string composed = "/home/ann/caf\xC3\xA9";    // é as one code point
    const std::string decomposed = "/home/ann/cafe\xCC\x81"; // e and a combining accent
    std::vector<RecentScan> scans = RecentScans::adding(composed, 1, 1, {});
    scans = RecentScans::adding(decomposed, 2, 2, scans);
    EXPECT_EQ(paths(scans), (std::vector<std::string>{decomposed, composed})) << "two folders on Linux";
    EXPECT_EQ(paths(RecentScans::removing(composed, scans)), std::vector<std::string>{decomposed});
    EXPECT_EQ(RecentScans::decode(RecentScans::encode(scans)), scans) << "both spellings survive the stored form";
}

TEST(RecentScans, KeepsTheNewestSix) {
    std::vector<RecentScan> scans;
    for (int i = 1; i <= 7; ++i) scans = RecentScans::adding("/f" + std::to_string(i), std::nullopt, i, scans);
    EXPECT_EQ(paths(scans), (std::vector<std::string>{"/f7", "/f6", "/f5", "/f4", "/f3", "/f2"}));

    std::vector<RecentScan> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({"/t" + std::to_string(i), double(i), std::nullopt});
    EXPECT_EQ(RecentScans::decode(RecentScans::encode(ten)).size(), 10u) << "a longer stored list is read in full";
    EXPECT_EQ(RecentScans::adding("/new", std::nullopt, 11, ten).size(), 6u) << "and cut on the next record";
}

TEST(RecentScans, RecordAndRemoveWorkOnTheStoredList) {
    MemoryPreferences preferences;
    const auto at = RecentScan::timePoint(1000);
    RecentScans::record(preferences, "/home/ann/Projects", std::nullopt, at);
    RecentScans::record(preferences, "/home/ann/Music", 5000, at + std::chrono::seconds(5));
    EXPECT_EQ(preferences.value(RecentScans::preferenceKey, {}).toByteArray(),
              R"([{"path":"/home/ann/Music","date":1005,"size":5000},{"path":"/home/ann/Projects","date":1000}])");

    // The list the page showed is stale by the time the user removes an entry: a scan
    // recorded meanwhile must survive the removal.
    const std::vector<RecentScan> shown = RecentScans::load(preferences);
    RecentScans::record(preferences, "/srv/new", std::nullopt, at + std::chrono::seconds(9));
    RecentScans::remove(preferences, shown.back().path);
    EXPECT_EQ(paths(RecentScans::load(preferences)), (std::vector<std::string>{"/srv/new", "/home/ann/Music"}));

    // A name that is not UTF-8 cannot travel as JSON text: it is not recorded at all
    // rather than recorded as another folder's name.
    RecentScans::record(preferences, "/srv/bad\xFF", std::nullopt, at);
    EXPECT_EQ(RecentScans::load(preferences).size(), 2u);

    // Undecodable stored data reads as empty and is replaced by the next record.
    preferences.setValue(RecentScans::preferenceKey, QByteArray("garbage"));
    EXPECT_TRUE(RecentScans::load(preferences).empty());
    RecentScans::record(preferences, "/", 1, at);
    EXPECT_EQ(paths(RecentScans::load(preferences)), std::vector<std::string>{"/"});
}

TEST(RecentScans, AnEditInPlaceChangesOnlyTheSizeOfItsEntry) {
    MemoryPreferences preferences;
    const auto at = RecentScan::timePoint(1000);
    RecentScans::record(preferences, "/home/ann/Projects", 9000, at);
    RecentScans::record(preferences, "/home/ann/Music", 5000, at + std::chrono::seconds(5));
    RecentScans::updateSize(preferences, "/home/ann/Projects/", 4000);
    EXPECT_EQ(preferences.value(RecentScans::preferenceKey, {}).toByteArray(),
              R"([{"path":"/home/ann/Music","date":1005,"size":5000},{"path":"/home/ann/Projects","date":1000,"size":4000}])");
    RecentScans::updateSize(preferences, "/srv/unlisted", 1);
    EXPECT_EQ(RecentScans::load(preferences).size(), 2u) << "nothing added";
}

TEST(RecentScans, DatesCountFromTheStartOf2001) {
    const auto start2001 = system_clock::from_time_t(978307200);
    EXPECT_DOUBLE_EQ(RecentScan::referenceSeconds(start2001), 0);
    EXPECT_DOUBLE_EQ(RecentScan::referenceSeconds(start2001 + std::chrono::milliseconds(1500)), 1.5);
    EXPECT_EQ(RecentScan::timePoint(86400), start2001 + std::chrono::hours(24));
}

} // namespace
} // namespace plenwick::test
