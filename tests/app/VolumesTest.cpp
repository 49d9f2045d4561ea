#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;

TEST_F(StateTest, LaterVolumeRefreshWinsWhicheverFinishesFirst) {
    makeState();
    EXPECT_EQ(state->volumeRefreshGeneration(), 1); // the construction's refresh
    state->refreshVolumes();
    ASSERT_EQ(userInitiated->pendingCount(), 2u);

    volumes->mounted = {volume("/", "Second")};
    userInitiated->runNewest();
    volumes->mounted = {volume("/", "First")};
    userInitiated->runOldest();
    deliver();
    ASSERT_EQ(state->volumes().size(), 1u);
    EXPECT_EQ(state->volumes()[0].name, "Second");
    EXPECT_EQ(state->volumeRefreshGeneration(), 2); // applying its own result does not count

    // A direct assignment makes a pending refresh stale.
    state->refreshVolumes();
    state->setVolumes({volume("/mnt/x", "Direct")});
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
    state->refreshScanVolumeForRoot();
    volumes->holder = volume(target, "Late");
    state->resetResults();
    runUtilityJobs();
    EXPECT_EQ(state->scanVolume()->name, "Listed");
    // Two calls in a row both pass the condition; the later one wins.
    state->startScan(target);
    runUserJobs();
    utility->discardAll();
    state->refreshScanVolumeForRoot();
    state->refreshScanVolumeForRoot();
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
    EXPECT_EQ(state->root()->displayName(), "Backup Drive");
    EXPECT_EQ(child(state->root(), "Photos")->displayName(), "Photos");
    EXPECT_EQ(FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0)->displayName(), "File System");

    // A volume known only as the scan's own volume names it too; the list's name wins.
    state->setVolumes({});
    const auto version = state->treeVersion();
    state->setScanVolume(volume(target, "Only Here"));
    EXPECT_EQ(state->root()->displayName(), "Only Here");
    EXPECT_GT(state->treeVersion(), version) << "the views that show the root's name read it again";
    state->setVolumes({volume(target, "Listed")});
    EXPECT_EQ(state->root()->displayName(), "Listed");

    // A folder below a volume keeps its own name; without a state, so does a mount point.
    state->startScan(target + "/Photos");
    runUserJobs();
    EXPECT_EQ(state->root()->displayName(), "Photos");
    state.reset();
    EXPECT_EQ(FileNode::make(target, FileNode::Kind::directory, 0, 0, 0, 0)->displayName(),
              target.substr(target.rfind('/') + 1));
    EXPECT_EQ(FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0)->displayName(), "/");
}
