// The volume refresh on its own, over the scan results whose root it names.

#include "WorkflowFixture.h"

using namespace plenwick;
using namespace plenwick::test;

TEST_F(WorkflowTest, VolumeLoadsApplyOnlyWhileCurrentWantedAndOwned) {
    volumes.emplace(changes, env, results);
    volumeSource->mounted = {volume("/", "Disk")};
    volumes->refreshVolumes();
    volumeSource->mounted = {volume("/", "Disk"), volume("/media/usb", "Stick")};
    volumes->refreshVolumes();
    // The older load finishing last is stale.
    userInitiated->runNewest();
    userInitiated->runOldest();
    deliver();
    EXPECT_EQ(volumes->volumes().volumes().size(), 2u);
    ASSERT_EQ(changes.heard.size(), 1u) << "one change per applied load";

    // A direct assignment makes a pending load stale.
    volumes->refreshVolumes();
    {
        StateChanges::Operation op(changes);
        volumes->assignVolumes({volume("/", "Only")});
    }
    settle();
    ASSERT_EQ(volumes->volumes().volumes().size(), 1u);
    EXPECT_EQ(volumes->volumes().volumes()[0].name, "Only");

    // The scan volume lands only while its caller still wants it.
    volumeSource->holder = volume("/", "Disk", 2000, 100);
    bool wanted = false;
    volumes->refreshScanVolume("/x", [&] { return wanted; });
    settle();
    EXPECT_FALSE(volumes->volumes().scanVolume());
    wanted = true;
    volumes->refreshScanVolume("/x", [&] { return wanted; });
    settle();
    ASSERT_TRUE(volumes->volumes().scanVolume());
    EXPECT_EQ(volumes->volumes().scanVolume()->totalCapacity, 2000);

    // The root's scan volume counts only for the results it was asked for.
    results.setRoot(folder("/", {file("a", 1)}));
    volumeSource->holder = volume("/", "Disk", 3000, 100);
    volumes->refreshScanVolumeForRoot();
    results.beginResults();
    settle();
    EXPECT_EQ(volumes->volumes().scanVolume()->totalCapacity, 2000);

    // A load whose owner went is dropped.
    volumes->refreshVolumes();
    volumes.reset();
    settle();
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
}
