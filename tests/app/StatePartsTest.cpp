// The state's parts on their own: each marks the bits of its own fields, and only of
// real changes, in the change set it shares with the state.

#include "StateFixture.h"

#include "app/Collector.h"
#include "app/Navigation.h"
#include "app/NodeMapping.h"
#include "app/ScanSession.h"
#include "app/TypeStatistics.h"
#include "app/Volumes.h"

#include <utility>

using namespace plenwick;
using namespace plenwick::test;

namespace {

StateFields bits(std::initializer_list<StateField> fields) {
    StateFields out = 0;
    for (StateField f : fields) out |= stateBit(f);
    return out;
}

// A part's change set on its own: `take()` ends what was marked so far as the state's
// outermost operation would, and returns the bits its observers heard.
class RecordedChanges : public StateChanges {
public:
    RecordedChanges() : StateChanges([this](Fields fields) { heard_ |= fields; }) {}
    StateFields take() {
        { Operation op(*this); }
        return std::exchange(heard_, 0);
    }

private:
    StateFields heard_ = 0;
};

} // namespace

TEST(StateParts, TheCollectorMarksItsFieldsOncePerRealChange) {
    RecordedChanges changes;
    Collector collector(changes);
    NodeRef root = folder("/scan", {folder("b", {file("x", 2)}), file("a", 1)});
    const NodeRef b = child(root, "b"), x = child(b, "x"), a = child(root, "a");

    EXPECT_EQ(collector.add({x, a}), (std::vector<NodeRef>{x, a}));
    EXPECT_EQ(changes.take(), bits({StateField::collector, StateField::collectorVersion}));
    EXPECT_EQ(collector.version(), 1);
    // The folder takes the place of what it holds.
    EXPECT_EQ(collector.add({b, x}), (std::vector<NodeRef>{b}));
    EXPECT_EQ(collector.items(), (std::vector<NodeRef>{a, b}));
    EXPECT_TRUE(collector.isCollectedOrInside(x.get()));
    EXPECT_FALSE(collector.isCollected(x.get()));
    changes.take();
    collector.sync(collector.items());
    EXPECT_EQ(changes.take(), 0u) << "the same items are no change";
    collector.setTrashing(true);
    collector.setTrashing(true);
    EXPECT_EQ(changes.take(), bits({StateField::collectorTrashing}));

    collector.setLeftovers(b, {remnant("/elsewhere/b", 5)});
    EXPECT_EQ(collector.sizeWithLeftovers(*b), 7);
    collector.remap(ClearedTree());
    EXPECT_TRUE(collector.items().empty());
    EXPECT_TRUE(collector.leftovers().empty());
    EXPECT_EQ(changes.take(), bits({StateField::collector, StateField::collectorVersion, StateField::collectorLeftovers}));
}

TEST(StateParts, NavigationStepsOnlyWithinTheRootAndMarksBothStacks) {
    RecordedChanges changes;
    Navigation navigation(changes);
    NodeRef root = folder("/scan", {folder("a", {file("x", 1)}), folder("b", {file("y", 1)})});
    const NodeRef a = child(root, "a"), b = child(root, "b");
    navigation.setFocus(root);
    navigation.moveTo(a);
    navigation.moveTo(b);
    EXPECT_EQ(navigation.navigationHistory(), (std::vector<NodeRef>{root, a}));
    changes.take();

    navigation.goBack(root.get());
    EXPECT_EQ(navigation.focus(), a);
    EXPECT_EQ(navigation.forwardHistory(), (std::vector<NodeRef>{b}));
    EXPECT_EQ(changes.take(), bits({StateField::focus, StateField::navigationHistory, StateField::forwardHistory}));

    // Under another root the stacks' entries count no more.
    navigation.goForward(a.get());
    EXPECT_EQ(navigation.focus(), a);
    EXPECT_TRUE(navigation.forwardHistory().empty());
    navigation.pruneHistory(a.get());
    EXPECT_TRUE(navigation.navigationHistory().empty());
}

TEST(StateParts, NavigationPruneDropsStaleEntriesAndRepeatedNeighbours) {
    RecordedChanges changes;
    Navigation navigation(changes);
    NodeRef root = folder("/scan", {folder("A", {folder("B", {file("b.txt", 1)})}), folder("D", {file("d.txt", 5)})});
    const NodeRef a = child(root, "A"), b = child(a, "B"), d = child(root, "D");
    navigation.setFocus(root);
    for (const NodeRef& n : {d, b, d, a}) navigation.moveTo(n);
    ASSERT_EQ(navigation.navigationHistory(), (std::vector<NodeRef>{root, d, b, d}));
    changes.take();

    a->removeChildAt(0); // B leaves the tree: D, D become neighbours
    navigation.pruneHistory(root.get());
    EXPECT_EQ(navigation.navigationHistory(), (std::vector<NodeRef>{root, d}));
    EXPECT_EQ(changes.take(), bits({StateField::navigationHistory}));

    // A stack that needs no change is not reassigned, and nobody hears of it.
    navigation.pruneHistory(root.get());
    EXPECT_EQ(changes.take(), 0u);
}

TEST(StateParts, VolumesDropStaleRefreshesAndMarkOnlyRealChanges) {
    RecordedChanges changes;
    Volumes volumes(changes);
    const std::int64_t older = volumes.beginRefresh();
    const std::int64_t newer = volumes.beginRefresh();
    EXPECT_FALSE(volumes.applyRefresh(older, {volume("/", "Old")}));
    EXPECT_TRUE(volumes.applyRefresh(newer, {volume("/", "System"), volume("/media/usb", "Stick")}));
    EXPECT_EQ(changes.take(), bits({StateField::volumes, StateField::volumeNames}));
    EXPECT_TRUE(volumes.applyRefresh(newer, volumes.volumes()));
    EXPECT_EQ(changes.take(), 0u) << "the same list is no change";

    // A direct assignment makes a pending refresh stale; an empty result keeps what is shown.
    const std::int64_t pending = volumes.beginScanVolumeRefresh();
    volumes.assignScanVolume(volumes.matching("/media/usb/"));
    EXPECT_EQ(changes.take(), bits({StateField::scanVolume})) << "the list names its mount point already";
    EXPECT_FALSE(volumes.applyScanVolumeRefresh(pending, volume("/", "System")));
    EXPECT_FALSE(volumes.applyScanVolumeRefresh(volumes.beginScanVolumeRefresh(), std::nullopt));
    ASSERT_TRUE(volumes.scanVolume());
    EXPECT_EQ(volumes.scanVolume()->name, "Stick");

    NodeRef root = folder("/media/usb", {file("a", 100)});
    EXPECT_TRUE(volumes.isWholeVolume(root.get()));
    EXPECT_EQ(volumes.unattributedBytes(root.get()), volumes.scanVolume()->usedCapacity() - 100);
    NodeRef inner = folder("/media/usb/inner", {file("b", 1)});
    EXPECT_EQ(volumes.unattributedBytes(inner.get()), 0);
    EXPECT_EQ(*volumes.names(), (VolumeNameMap{{"/", "System"}, {"/media/usb", "Stick"}}));
}

TEST(StateParts, TypeStatisticsApplyUpdatesInScheduleOrderAndKeepEachExtensionsColour) {
    using Entry = FileTypeStatsBuilder::Entry;
    RecordedChanges changes;
    TypeStatistics statistics(changes);
    statistics.replace(FileTypeStatsBuilder::makeStats(
        {{"pdf", Entry{150, 2, FileCategory::documents}}, {"jpg", Entry{300, 1, FileCategory::images}}}));
    EXPECT_EQ(changes.take(), bits({StateField::typeStats, StateField::extensionColors}));
    EXPECT_EQ(statistics.nextColorIndex(), 2);
    const RGB pdf = statistics.extensionColors().at("pdf");
    const std::int64_t version = statistics.extensionColorsVersion();
    statistics.replace(statistics.stats());
    EXPECT_EQ(changes.take(), 0u) << "the same statistics are no change";
    EXPECT_EQ(statistics.extensionColorsVersion(), version);

    // Finished out of order, the updates apply in the order scheduled; a failed one is
    // skipped without holding up the next.
    const std::uint64_t first = statistics.scheduleUpdate(1, {{"mov", Entry{500, 2, FileCategory::video}}});
    const std::uint64_t failed = statistics.scheduleUpdate(1, {{"txt", Entry{9, 1, FileCategory::documents}}});
    const std::uint64_t last = statistics.scheduleUpdate(
        1, {{"zip", Entry{40, 1, FileCategory::archives}}, {"pdf", Entry{70, 1, FileCategory::documents}}});
    statistics.finishUpdate(last, TypeTotals{}, 1);
    statistics.finishUpdate(failed, std::nullopt, 1);
    EXPECT_EQ(changes.take(), 0u);
    statistics.finishUpdate(first, TypeTotals{{"pdf", Entry{150, 2, FileCategory::documents}}}, 1);
    EXPECT_EQ(changes.take(), bits({StateField::typeStats, StateField::extensionColors}));
    EXPECT_FALSE(statistics.hasPendingUpdates());
    EXPECT_EQ(statistics.extensionColors().count("txt"), 0u);
    EXPECT_EQ(statistics.extensionColors().at("mov"), extensionColorForIndex(2));
    EXPECT_EQ(statistics.extensionColors().at("zip"), extensionColorForIndex(3));
    EXPECT_EQ(statistics.extensionColors().at("pdf"), pdf) << "PDF left and came back";
    EXPECT_EQ(statistics.nextColorIndex(), 4);
    EXPECT_EQ(statistics.extensionColorsVersion(), version + 2);

    // An update of earlier results is dropped; clearing cancels what is pending.
    const std::uint64_t stale = statistics.scheduleUpdate(1, {{"iso", Entry{7, 1, FileCategory::other}}});
    statistics.finishUpdate(stale, TypeTotals{}, 2);
    EXPECT_EQ(changes.take(), 0u);
    const std::stop_token pending = statistics.updateStopToken(statistics.scheduleUpdate(2, {}));
    statistics.clear();
    EXPECT_TRUE(pending.stop_requested());
    EXPECT_FALSE(statistics.hasPendingUpdates());
    EXPECT_TRUE(statistics.stats().empty());
    EXPECT_TRUE(statistics.extensionColors().empty());
    EXPECT_EQ(changes.take(), bits({StateField::typeStats, StateField::extensionColors}));
}

TEST(StateParts, TheScanSessionDropsStaleReportsAndHidesAPhaseThatCameBack) {
    using Phase = ScanSession::Phase;
    const auto files = [](std::int64_t count) {
        ScanProgress progress;
        progress.filesScanned = count;
        return progress;
    };
    RecordedChanges changes;
    ScanSession scan(changes);
    const std::int64_t first = scan.start("/scan");
    const std::stop_source firstTask = scan.task();
    EXPECT_TRUE(scan.settle() == false && scan.phase() == Phase::scanning());
    EXPECT_EQ(changes.take(), bits({StateField::scanTarget, StateField::scanStartedAt, StateField::phase}));

    // A second scan stops the first, whose reports and result no longer count.
    const std::int64_t second = scan.start("/other");
    EXPECT_TRUE(firstTask.stop_requested());
    EXPECT_FALSE(scan.isCurrent(first, firstTask));
    EXPECT_TRUE(scan.isCurrent(second, scan.task()));
    changes.take();
    scan.report(first, files(5));
    EXPECT_EQ(changes.take(), 0u);
    scan.report(second, files(7));
    EXPECT_EQ(scan.progress().filesScanned, 7);
    EXPECT_EQ(changes.take(), bits({StateField::scanProgress}));

    // Leaving scanning and coming back within one operation is no change of phase.
    scan.setPhase(Phase::home());
    scan.setPhase(Phase::scanning());
    EXPECT_FALSE(scan.settle());
    EXPECT_EQ(changes.take(), 0u);

    scan.finish();
    EXPECT_FALSE(scan.hasTask());
    EXPECT_GE(scan.duration(), 0.0);
    EXPECT_FALSE(scan.settle()) << "entering the results is not leaving them";
    EXPECT_NE(changes.take() & bits({StateField::phase}), 0u);
    scan.fail("It went wrong.", true);
    EXPECT_TRUE(scan.settle()) << "leaving the results ends what belonged to them";
    EXPECT_EQ(scan.phase().message(), "It went wrong.");
    EXPECT_TRUE(scan.failureNeedsFullDiskAccess());

    // Progress counts only while the scan is shown.
    scan.stop();
    scan.report(scan.generation(), files(9));
    EXPECT_EQ(scan.progress().filesScanned, 7);
}
