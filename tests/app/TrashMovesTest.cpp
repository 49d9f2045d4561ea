// The trash moves on their own, over the state's parts.

#include "TrashWorkflowParts.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {
using TrashMovesTest = TrashWorkflowTest;
} // namespace

TEST_F(TrashMovesTest, ThePruneEditsThenRepairsThenUpdatesTheStatisticsInOneChange) {
    moves->addToCollector({big1, mail});
    heard = 0;
    notifications = 0;
    // The root and a stray are passed over; the stray's being asked changes nothing.
    EXPECT_EQ(moves->removeTrashedNodes({root, file("stray", 5)}), 0);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(heard, 0u);

    EXPECT_EQ(moves->removeTrashedNodes({big, big1}), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"edit", "remap", "stats"}));
    // big1 went along with Big: only Big is detached and counted off.
    EXPECT_EQ(statsRemoved, (std::vector<NodeRef>{big}));
    EXPECT_EQ(root->size(), 70);
    EXPECT_EQ(moves->collector().items(), (std::vector<NodeRef>{mail}));
    EXPECT_EQ(notifications, 1);
    const StateFields collectorBits = stateBit(StateField::collector) | stateBit(StateField::collectorVersion);
    EXPECT_EQ(heard & collectorBits, collectorBits);
}

TEST_F(TrashMovesTest, OnlyAPathThatIsOrHoldsTheScannedFolderEndsTheResults) {
    EXPECT_FALSE(moves->resetIfRootRemoved({"/scanned", "/scan/Big", "/elsewhere"}));
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(moves->resetIfRootRemoved({"/elsewhere", "/scan/."}));
    EXPECT_EQ(asked, std::vector<std::string>{"close"});
    asked.clear();
    EXPECT_TRUE(moves->resetIfRootRemoved({"/"}));
    EXPECT_EQ(asked, std::vector<std::string>{"close"});
}

TEST_F(TrashMovesTest, AMovedAppIsAnnouncedFirstAndHeardOfAfterThePrune) {
    knowBundle("/scan/Mail.app", "com.example.mail");
    std::vector<std::string> apps;
    const auto appTrashed = [&](const AppBundleInfo& app, std::optional<std::string> trashURL) {
        apps.push_back(app.bundleID + " " + trashURL.value_or("?"));
        events.push_back("heard");
    };
    moves->trashPending(mail, appTrashed);
    settle();
    EXPECT_EQ(events, (std::vector<std::string>{"posted", "moved /scan/Mail.app", "heard"}));
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0][0].bundleID, "com.example.mail");
    EXPECT_EQ(apps, std::vector<std::string>{"com.example.mail /Trash/Mail.app"});
    EXPECT_EQ(asked, (std::vector<std::string>{"edit", "remap", "stats", "refresh"}));

    // What is no app moves unannounced and unheard of.
    events.clear();
    asked.clear();
    moves->trashPending(child(root, "t.txt"), appTrashed);
    moves->trashPending(big, appTrashed);
    settle();
    EXPECT_EQ(events, (std::vector<std::string>{"moved /scan/t.txt", "moved /scan/Big"}));
    EXPECT_EQ(apps.size(), 1u);
    EXPECT_EQ(root->size(), 0);
}

TEST_F(TrashMovesTest, ARefusedMoveReportsAndLeavesTheTreeAlone) {
    refused.insert("/scan/Big/big1");
    bool heardOfApp = false;
    moves->trashPending(big1, [&](const AppBundleInfo&, std::optional<std::string>) { heardOfApp = true; });
    settle();
    EXPECT_EQ(alerts.lastError(), "big1: Permission denied");
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(heardOfApp);
    EXPECT_EQ(root->size(), 170);
}

TEST_F(TrashMovesTest, OutcomesArrivingAfterTheWorkflowWentAreDropped) {
    knowBundle("/scan/Mail.app", "com.example.mail");
    moves->addToCollector({big, mail});
    bool done = false;
    moves->trashCollected([&](const TrashMoves::TrashOutcome&) { done = true; });
    moves->trashPending(child(root, "t.txt"));
    entry.reset();
    moves.reset();
    settle();
    EXPECT_FALSE(done);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(root->size(), 170);
}
