#include "StateFixture.h"

#include <thread>

using namespace plenwick;
using namespace plenwick::test;

TEST_F(StateTest, LaterVolumeRefreshWinsWhicheverFinishesFirst) {
    makeState();
    EXPECT_EQ(state->volumeRefresh().volumes().refreshGeneration(), 1); // the construction's refresh
    state->refreshVolumes();
    ASSERT_EQ(userInitiated->pendingCount(), 2u);

    volumes->mounted = {volume("/", "Second")};
    userInitiated->runNewest();
    volumes->mounted = {volume("/", "First")};
    userInitiated->runOldest();
    deliver();
    ASSERT_EQ(state->volumes().size(), 1u);
    EXPECT_EQ(state->volumes()[0].name, "Second");
    EXPECT_EQ(state->volumeRefresh().volumes().refreshGeneration(), 2); // applying its own result does not count

    // A direct assignment makes a pending refresh stale.
    state->refreshVolumes();
    state->volumeRefresh().assignVolumes({volume("/mnt/x", "Direct")});
    runUserJobs();
    EXPECT_EQ(state->volumes()[0].name, "Direct");
}

TEST_F(StateTest, ScanVolumeRefreshesAreDroppedWhenStaleOrEmpty) {
    makeState();
    const std::string target = makeTree({{"a.txt", 100}});
    volumes->mounted = {volume(target + "/", "Listed", 10'000, 1'000)};
    runUserJobs();

    // A listed volume is taken at once, compared by normalised path.
    state->startScan(target);
    ASSERT_TRUE(state->scanVolume());
    EXPECT_EQ(state->scanVolume()->name, "Listed");
    runUserJobs();
    ASSERT_TRUE(state->root());
    EXPECT_TRUE(state->isWholeVolumeScan());
    EXPECT_EQ(state->unattributedBytes(), 9'000 - state->root()->size());

    // The refresh after the scan finds nothing: the volume stays.
    volumes->holder.reset();
    runUtilityJobs();
    EXPECT_EQ(state->scanVolume()->name, "Listed");

    // Figures loaded for the old results are not applied once the results were reset.
    state->volumeRefresh().refreshScanVolumeForRoot();
    volumes->holder = volume(target, "Late");
    state->scanRun().reset();
    runUtilityJobs();
    EXPECT_EQ(state->scanVolume()->name, "Listed");
    // Two calls in a row both pass the condition; the later one wins.
    state->startScan(target);
    runUserJobs();
    utility->discardAll();
    state->volumeRefresh().refreshScanVolumeForRoot();
    state->volumeRefresh().refreshScanVolumeForRoot();
    volumes->holder = volume(target, "Newer");
    utility->runNewest();
    volumes->holder = volume(target, "Older");
    utility->runOldest();
    deliver();
    EXPECT_EQ(state->scanVolume()->name, "Newer");

    // More used space attributed than the volume reports: never negative.
    state->setScanVolume(volume(target, "Tiny", 10, 5));
    EXPECT_EQ(state->unattributedBytes(), 0);
}

TEST_F(StateTest, AFailingVolumeSourceKeepsWhatIsShown) {
    makeState();
    volumes->mounted = {volume("/", "Root")};
    runUserJobs();
    const std::string target = makeTree({{"a.txt", 1}});
    state->setScanVolume(volume(target, "Shown"));
    volumes->failing = true;
    state->refreshVolumes();
    state->volumeRefresh().refreshScanVolume(target, [] { return true; });
    runUserJobs();
    runUtilityJobs();
    ASSERT_EQ(state->volumes().size(), 1u);
    EXPECT_EQ(state->volumes()[0].name, "Root");
    EXPECT_EQ(state->scanVolume()->name, "Shown");

    // The next refresh works as before.
    volumes->failing = false;
    volumes->mounted = {volume("/", "Again")};
    state->refreshVolumes();
    runUserJobs();
    EXPECT_EQ(state->volumes()[0].name, "Again");
}

TEST_F(StateTest, ResultsForAStateThatIsGoneAreDropped) {
    makeState();
    state->startScan(makeTree({{"a.txt", 1}}));
    state.reset();
    volumes->mounted = {volume("/", "Late")};
    userInitiated->runAll(); // the first volume refresh and the cancelled scan
    deliver();
    SUCCEED();
}

TEST_F(StateTest, TheRootOfAVolumeScanIsCalledByItsVolumesName) {
    makeState();
    const std::string target = makeTree({{"Photos/a.jpg", 10}});
    volumes->mounted = {volume(target + "/", "Backup Drive"), volume("/", "File System")};
    runUserJobs();
    state->startScan(target);
    runUserJobs();
    ASSERT_TRUE(state->root());
    EXPECT_EQ(state->displayName(*state->root()), "Backup Drive");
    EXPECT_EQ(state->displayName(*child(state->root(), "Photos")), "Photos");
    EXPECT_EQ(state->displayName(*FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0)), "File System");

    // A volume known only as the scan's own volume names it too; the list's name wins.
    state->volumeRefresh().assignVolumes({});
    state->setScanVolume(volume(target, "Only Here"));
    EXPECT_EQ(state->displayName(*state->root()), "Only Here");
    state->volumeRefresh().assignVolumes({volume(target, "Listed")});
    EXPECT_EQ(state->displayName(*state->root()), "Listed");

    // A folder below a volume keeps its own name; a node by itself knows no volumes.
    state->startScan(target + "/Photos");
    runUserJobs();
    EXPECT_EQ(state->displayName(*state->root()), "Photos");
    EXPECT_EQ(FileNode::make(target, FileNode::Kind::directory, 0, 0, 0, 0)->displayName(),
              target.substr(target.rfind('/') + 1));
    EXPECT_EQ(FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0)->displayName(), "/");
}

TEST_F(StateTest, ARenamedVolumeChangesItsNamesAndNotTheTree) {
    makeState();
    const std::string target = makeTree({{"a.txt", 10}});
    volumes->mounted = {volume(target, "Before")};
    runUserJobs();
    state->startScan(target);
    runUserJobs();
    ASSERT_EQ(state->displayName(*state->root()), "Before");
    const std::int64_t version = state->treeVersion();
    const std::shared_ptr<const VolumeNameMap> before = state->volumeNames();
    log.emitted.clear();

    // The next volume list calls the scanned mount point otherwise.
    volumes->mounted = {volume(target, "After")};
    state->refreshVolumes();
    runUserJobs();
    EXPECT_EQ(state->displayName(*state->root()), "After");
    EXPECT_EQ(state->treeVersion(), version) << "the tree is as it was";
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(AppState::Field::volumes) | AppState::bit(AppState::Field::volumeNames));
    // A snapshot taken before keeps the names it had.
    EXPECT_EQ(plenwick::displayName(*state->root(), *before), "Before");

    // A list with other figures but the same names is no change of names.
    volumes->mounted = {volume(target, "After", 5000, 100)};
    state->refreshVolumes();
    runUserJobs();
    ASSERT_EQ(log.emitted.size(), 2u);
    EXPECT_EQ(log.emitted[1], AppState::bit(AppState::Field::volumes));
}

TEST_F(StateTest, ASnapshotOfTheNamesReadsTheSameOffTheGuiThreadWhileTheStateRenames) {
    makeState();
    state->volumeRefresh().assignVolumes({volume("/mnt/a", "First")});
    const std::shared_ptr<const VolumeNameMap> snapshot = state->volumeNames();
    std::atomic<bool> done = false;
    std::atomic<int> wrong = 0;
    std::thread reader([&] {
        while (!done)
            if (pathDisplayName("/mnt/a/", *snapshot) != "First") ++wrong;
    });
    for (int i = 0; i < 200; ++i) state->volumeRefresh().assignVolumes({volume("/mnt/a", "Name " + std::to_string(i))});
    done = true;
    reader.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pathDisplayName("/mnt/a", *state->volumeNames()), "Name 199");
}
