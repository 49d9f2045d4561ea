#include "app/StateFixture.h"

#include "home/HomeTexts.h"
#include "results/DiskUsageSegments.h"

namespace plenwick::test {
namespace {

constexpr std::int64_t GB = 1'000'000'000;
using Tint = DiskUsageSegment::Tint;

std::vector<std::string> ids(const std::vector<DiskUsageSegment>& segments) {
    std::vector<std::string> out;
    for (const DiskUsageSegment& s : segments) out.push_back(s.id);
    return out;
}

TEST(DiskUsageSegments, AWholeVolumeShowsScannedHiddenAndFree) {
    const VolumeInfo data = volume("/", "Data", 500 * GB, 100 * GB);
    const auto segments = makeDiskUsageSegments(data, 300 * GB, 100 * GB, "Data", "/");
    ASSERT_EQ(ids(segments), (std::vector<std::string>{"scanned", "other", "free"}));
    EXPECT_EQ(segments[0].title, "Scanned");
    EXPECT_EQ(segments[0].bytes, 300 * GB);
    EXPECT_EQ(segments[0].tint, Tint::accent);
    EXPECT_FALSE(segments[0].help);
    EXPECT_EQ(segments[1].title, "Other / hidden");
    EXPECT_EQ(segments[1].bytes, 100 * GB);
    EXPECT_EQ(segments[1].tint, Tint::neutral);
    ASSERT_TRUE(segments[1].help);
    EXPECT_TRUE(segments[1].help->startsWith("Space the scan couldn't attribute to visible files"));
    EXPECT_EQ(segments[2], (DiskUsageSegment{"free", "Free", 100 * GB, Tint::track, std::nullopt}));

    // A tree that accounts for all the used space leaves nothing hidden.
    EXPECT_EQ(ids(makeDiskUsageSegments(data, 400 * GB, 0, "Data", "/")), (std::vector<std::string>{"scanned", "free"}));
    // The hidden part never exceeds what the scan left over.
    EXPECT_EQ(makeDiskUsageSegments(data, 390 * GB, 50 * GB, "Data", "/")[1].bytes, 10 * GB);
}

TEST(DiskUsageSegments, TheHiddenPartNamesTheSystemsReserveWhichCountsAsNeither) {
    VolumeInfo data = volume("/", "Data", 500 * GB, 100 * GB);
    data.reservedCapacity = 25 * GB;
    const auto segments = makeDiskUsageSegments(data, 300 * GB, 100 * GB, "Data", "/");
    ASSERT_EQ(ids(segments), (std::vector<std::string>{"scanned", "other", "free"}));
    ASSERT_TRUE(segments[1].help);
    EXPECT_TRUE(segments[1].help->startsWith("Space the scan couldn't attribute to visible files"));
    EXPECT_TRUE(segments[1].help->endsWith(" " + home::reservedSpaceSentence(data)));
    EXPECT_EQ(segments[2].bytes, 100 * GB) << "the reserve is not free space";
}

TEST(DiskUsageSegments, AFolderShowsItsShareBesideEverythingElse) {
    const VolumeInfo data = volume("/srv", "Data", 1000, 400);
    auto segments = makeDiskUsageSegments(data, 250, std::nullopt, "Projects", "/srv/Projects");
    ASSERT_EQ(ids(segments), (std::vector<std::string>{"folder", "rest", "free"}));
    EXPECT_EQ(segments[0].title, "“Projects” (scanned)");
    EXPECT_EQ(segments[0].help, std::optional<QString>("Everything scanned in /srv/Projects"));
    EXPECT_EQ(segments[1], (DiskUsageSegment{"rest", "Everything else", 350, Tint::neutral, std::nullopt}));
    segments = makeDiskUsageSegments(data, 900, std::nullopt, "Projects", "/srv/Projects");
    EXPECT_EQ(segments[0].bytes, 600) << "never more than the used space";
    EXPECT_EQ(segments[1].bytes, 0) << "the rest stays, with nothing in it";
}

TEST(DiskUsageSegments, UsedSpaceNeverGoesBelowNothing) {
    // A volume reporting more available than its total (figures read at two moments).
    const VolumeInfo odd = volume("/mnt", "Odd", 1000, 1200);
    const auto segments = makeDiskUsageSegments(odd, 500, std::nullopt, "x", "/mnt/x");
    EXPECT_EQ(segments[0].bytes, 0);
    EXPECT_EQ(segments[1].bytes, 0);
    EXPECT_EQ(segments[2].bytes, 1200);
    const auto whole = makeDiskUsageSegments(odd, 500, 300, "Odd", "/mnt");
    EXPECT_EQ(ids(whole), (std::vector<std::string>{"scanned", "free"}));
    EXPECT_EQ(whole[0].bytes, 0);
    // No capacity at all: nothing scanned or used.
    EXPECT_EQ(makeDiskUsageSegments(volume("/z", "Z", 0, 0), 500, std::nullopt, "z", "/z")[0].bytes, 0);
}

TEST(SegmentWidths, SmallSegmentsKeepTwoPointsAndTheWidestPaysForThem) {
    const std::vector<double> widths = segmentWidths({990, 5, 5}, 1000, 200, 1.5);
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_NEAR(widths[0], 193, 1e-9);
    EXPECT_EQ(widths[1], 2);
    EXPECT_EQ(widths[2], 2);
    EXPECT_EQ(segmentWidths({10, 10}, 0, 200, 1.5), (std::vector<double>{0, 0}));
    EXPECT_EQ(segmentWidths({10, 10}, 100, 0, 1.5), (std::vector<double>{0, 0}));
    // A segment of nothing takes no width and no gap: two neighbours 1.5 apart.
    const std::vector<double> gap = segmentWidths({500, 0, 500}, 1000, 101.5, 1.5);
    EXPECT_EQ(gap, (std::vector<double>{50, 0, 50}));
    // The widest is narrowed, not below nothing.
    EXPECT_EQ(segmentWidths({1, 1, 1}, 1000, 4, 0), (std::vector<double>{0, 2, 2}));
}

class DiskUsageStateTest : public StateTest {
protected:
    void SetUp() override { makeState(); }
};

TEST_F(DiskUsageStateTest, TheStateGivesSegmentsOnlyWithAVolumeARootAndACapacity) {
    EXPECT_FALSE(diskUsageSegments(*state)) << "nothing scanned";
    NodeRef root = folder("/srv/Projects", {file("a", 250)});
    state->finishScan(root, {});
    EXPECT_FALSE(diskUsageSegments(*state)) << "no volume";
    state->setScanVolume(volume("/srv", "Data", 1000, 400));
    auto segments = diskUsageSegments(*state);
    ASSERT_TRUE(segments);
    EXPECT_EQ((*segments)[0].help, std::optional<QString>("Everything scanned in /srv/Projects")) << "no final slash";
    EXPECT_EQ(diskUsageTitle(*state), "Share of “Data”");
    state->setScanVolume(volume("/srv", "Data", 0, 0));
    EXPECT_FALSE(diskUsageSegments(*state)) << "a volume without capacity";

    NodeRef whole = folder("/srv", {file("b", 300)});
    state->finishScan(whole, {});
    state->setScanVolume(volume("/srv", "Data", 1000, 400));
    segments = diskUsageSegments(*state);
    ASSERT_TRUE(segments);
    EXPECT_EQ(ids(*segments), (std::vector<std::string>{"scanned", "other", "free"}));
    EXPECT_EQ((*segments)[1].bytes, 300);
    EXPECT_EQ(diskUsageTitle(*state), "Disk Usage");
}

} // namespace
} // namespace plenwick::test
