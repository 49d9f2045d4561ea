#include "StateFixture.h"

#include "common/TestSupport.h"

#include "base/Cancellation.h"
#include "base/Utf8.h"

using namespace plenwick;
using namespace plenwick::test;
using Kind = AppState::Phase::Kind;

TEST_F(StateTest, FinishedScanShowsResultsInOneConsistentChange) {
    makeState();
    const std::string root = makeTree({{"docs/a.pdf", 5000}, {"docs/b.pdf", 3000}, {"pics/c.jpg", 8000}, {"notes", 10}});
    volumes->holder = volume("/", "Root", 10'000'000, 1'000);
    state->startScan(root + "/");
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    EXPECT_EQ(state->scanTarget(), root);
    EXPECT_FALSE(state->root());
    const auto versionBefore = state->treeVersion();

    // Every signal shows a complete state: results never without a root.
    QObject::connect(state.get(), &AppState::changed, [this] {
        if (state->phase().kind() == Kind::results) {
            EXPECT_TRUE(state->root());
        }
    });
    log.emitted.clear();
    userInitiated->runAll();
    deliver();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    // Progress reports may come first; the results arrive in one signal.
    ASSERT_GE(log.emitted.size(), 1u);
    for (std::size_t i = 0; i + 1 < log.emitted.size(); ++i)
        EXPECT_EQ(log.emitted[i], AppState::bit(AppState::Field::scanProgress));
    EXPECT_TRUE(log.emitted.back() & AppState::bit(AppState::Field::root));
    EXPECT_TRUE(log.emitted.back() & AppState::bit(AppState::Field::phase));

    EXPECT_EQ(state->root()->name(), root);
    EXPECT_EQ(state->focus(), state->root());
    EXPECT_GT(state->treeVersion(), versionBefore);
    EXPECT_TRUE(state->navigationHistory().empty());
    EXPECT_TRUE(state->collector().empty());
    ASSERT_EQ(state->typeStats().size(), 3u);
    EXPECT_EQ(state->typeStats()[0].ext, "pdf");
    EXPECT_EQ(state->statsUpdates().statistics().nextColorIndex(), 3);
    EXPECT_EQ(state->extensionColors().at("jpg"), extensionColorForIndex(1));
    EXPECT_GE(state->scanRun().session().duration(), 0.0);
    EXPECT_FALSE(state->scanRun().session().hasTask());

    // No volume was listed, so the scan volume arrives from the background.
    EXPECT_FALSE(state->scanVolume());
    runUtilityJobs();
    ASSERT_TRUE(state->scanVolume());
    EXPECT_EQ(state->scanVolume()->name, "Root");
}

TEST_F(StateTest, SecondScanStartedBackToBackIsTheOnlyOneThatSurvives) {
    makeState(/*poolsForScans=*/true);
    std::vector<std::pair<std::string, std::size_t>> files;
    for (int i = 0; i < 3000; ++i) files.push_back({"first/d" + std::to_string(i % 60) + "/f" + std::to_string(i), 10});
    files.push_back({"second/only.txt", 10});
    const std::string base = makeTree(files);

    state->startScan(base + "/first");
    state->startScan(base + "/second");
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->phase().kind() != Kind::scanning; }, 20000));
    ASSERT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(state->root()->name(), base + "/second");

    // Let anything the first scan still had in flight arrive: nothing of it sticks.
    QTest::qWait(200);
    EXPECT_EQ(state->root()->name(), base + "/second");
    EXPECT_EQ(state->scanProgress().currentPath.find(base + "/first"), std::string::npos);
    EXPECT_EQ(state->root()->fileCount(), 1);
}

TEST_F(StateTest, APathHoldingANulStartsNothing) {
    makeState();
    const std::string root = makeTree({{"docs/a.pdf", 5000}});
    state->startScan(root + std::string("/docs\0/elsewhere", 15));
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->scanRun().session().hasTask());
    EXPECT_FALSE(state->scanTarget());
}

TEST_F(StateTest, MissingPathFailsWithTheScannersText) {
    makeState();
    // A name that is not valid UTF-8 reaches the screen repaired.
    state->startScan(dir.path().toStdString() + "/missing\xff");
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::failed);
    const std::string& message = state->phase().message();
    EXPECT_TRUE(isValidUtf8(message));
    EXPECT_NE(message.find("missing\xEF\xBF\xBD"), std::string::npos);
    const std::string ending = "” could not be found.";
    ASSERT_GE(message.size(), ending.size());
    EXPECT_EQ(message.substr(message.size() - ending.size()), ending);
    EXPECT_FALSE(state->scanRun().session().failureNeedsFullDiskAccess());
    EXPECT_FALSE(state->root());
    // The task handle stays after a failure, until the next start or cancel.
    EXPECT_TRUE(state->scanRun().session().hasTask());

    EXPECT_TRUE(ScanRun::needsFullDiskAccess(
        std::make_exception_ptr(ScanError(ScanError::Kind::permissionDenied, "/x"))));
    EXPECT_TRUE(ScanRun::needsFullDiskAccess(
        std::make_exception_ptr(std::system_error(EACCES, std::generic_category()))));
    EXPECT_FALSE(ScanRun::needsFullDiskAccess(std::make_exception_ptr(ScanError(ScanError::Kind::notFound, "/x"))));
}

TEST_F(StateTest, AFolderItsPermissionsDenyOffersFullDiskAccessOnlyWhenTheProbeSaysItIsOff) {
    // The temporary folder is the test's own (mode 0700): the user nobody may not list
    // it. Linux has no Full Disk Access: its probe never says it is off.
    const std::string target = makeTree({{"a.txt", 1}});
    const auto scanAsNobody = [&](bool accessIsOff) {
        return inChild(
            [&]() -> std::string {
                fullDiskAccessIsOff = accessIsOff;
                makeState();
                state->startScan(target);
                runUserJobs();
                if (state->phase().kind() != Kind::failed) return "not failed";
                return state->phase().message() + " probed " + std::to_string(probes.load()) +
                       (state->scanRun().session().failureNeedsFullDiskAccess() ? " offered" : "");
            },
            true);
    };
    const std::string message = "Plenwick doesn\u2019t have permission to read \u201C" + target +
                                "\u201D. Its permissions, or those of a folder above it, deny Plenwick access.";
    EXPECT_EQ(scanAsNobody(false), message + " probed 1");
    EXPECT_EQ(scanAsNobody(true), message + " probed 1 offered");

    // Other failures ask nothing.
    makeState();
    fullDiskAccessIsOff = true;
    state->startScan(target + "/missing");
    runUserJobs();
    EXPECT_EQ(state->phase().kind(), Kind::failed);
    EXPECT_FALSE(state->scanRun().session().failureNeedsFullDiskAccess());
    EXPECT_EQ(probes.load(), 0);
}

TEST_F(StateTest, CancelReturnsHomeAndDropsTheLateResult) {
    makeState();
    const std::string root = makeTree({{"a.txt", 100}});
    state->startScan(root);
    state->cancelScan();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->scanRun().session().hasTask());
    runUserJobs();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->root());

    // Cancelling outside a scan leaves the phase alone; Back to Results then has nothing to show.
    state->backToResults();
    EXPECT_EQ(state->phase().kind(), Kind::home);
}

TEST_F(StateTest, ResultsAndProgressOfAnOvertakenScanAreDropped) {
    makeState();
    std::vector<std::pair<std::string, std::size_t>> files;
    for (int i = 0; i < 2000; ++i) files.push_back({"big/d" + std::to_string(i % 40) + "/f" + std::to_string(i), 10});
    files.push_back({"small/x.txt", 10});
    const std::string base = makeTree(files);

    // The first scan completes in full, but its progress and result are still queued
    // when the second scan starts.
    state->startScan(base + "/big");
    userInitiated->runAll();
    log.emitted.clear();
    state->startScan(base + "/small");
    // Scanning before and after: the restart is one change, and not one of the phase.
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_FALSE(log.emitted[0] & AppState::bit(AppState::Field::phase));
    EXPECT_TRUE(log.emitted[0] & AppState::bit(AppState::Field::scanTarget));
    deliver();
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    EXPECT_FALSE(state->root());
    EXPECT_EQ(state->scanProgress(), ScanProgress{});

    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(state->root()->name(), base + "/small");
}
