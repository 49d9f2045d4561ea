// The statistics updates on their own, over the scan results they read the
// generation from.

#include "WorkflowFixture.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {

std::int64_t sizeOf(const std::vector<FileTypeStat>& stats, const std::string& ext) {
    for (const FileTypeStat& s : stats)
        if (s.ext == ext) return s.size;
    return -1;
}

} // namespace

TEST_F(WorkflowTest, StatisticsUpdatesApplyForTheirOwnResultsAndDieWithTheirOwner) {
    stats.emplace(changes, env, results);
    NodeRef root = folder("/scan", {file("a.png", 30), file("b.txt", 5), folder("d", {file("c.png", 10)})});
    results.beginResults();
    stats->apply(StatsUpdates::compute(root));
    ASSERT_EQ(sizeOf(stats->statistics().stats(), "png"), 40);
    std::stop_source cancelled;
    cancelled.request_stop();
    EXPECT_TRUE(StatsUpdates::compute(root, cancelled.get_token()).empty()) << "a cancelled collection gives nothing";

    // A subtree that left the tree takes its bytes off once the utility job is back,
    // in one change of its own.
    changes.heard.clear();
    stats->schedule({child(root, "d")}, {});
    EXPECT_EQ(utility->pendingCount(), 1u);
    settle();
    EXPECT_EQ(sizeOf(stats->statistics().stats(), "png"), 30);
    ASSERT_EQ(changes.heard.size(), 1u);
    EXPECT_TRUE(changes.heard[0] & stateBit(StateField::typeStats));

    // New results make a pending update stale.
    stats->schedule({child(root, "a.png")}, {});
    results.beginResults();
    settle();
    EXPECT_EQ(sizeOf(stats->statistics().stats(), "png"), 30);

    // An update whose owner went is dropped, not delivered into freed memory.
    stats->schedule({child(root, "b.txt")}, {});
    stats.reset();
    settle();
    EXPECT_EQ(utility->pendingCount(), 0u);
}
