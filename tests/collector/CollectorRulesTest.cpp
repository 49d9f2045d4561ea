#include "app/StateFixture.h"

#include "collector/CollectorRules.h"
#include "collector/CollectorTexts.h"
#include "collector/ShellCollectorCache.h"

#include <cmath>
#include <limits>

namespace plenwick::test {
namespace {

TEST(CollectorChipMetrics, FollowTheStoredStripWidth) {
    using M = ShellCollectorChipMetrics;
    EXPECT_EQ(collectorChipMetrics(std::nullopt), (M{150, true}));
    EXPECT_EQ(collectorChipMetrics(std::numeric_limits<double>::quiet_NaN()), (M{150, true}));
    EXPECT_EQ(collectorChipMetrics(std::numeric_limits<double>::infinity()), (M{150, true}));
    EXPECT_EQ(collectorChipMetrics(100), (M{48, false}));
    EXPECT_EQ(collectorChipMetrics(200), (M{128, false}));
    EXPECT_EQ(collectorChipMetrics(259.5), (M{150, false}));
    EXPECT_EQ(collectorChipMetrics(260), (M{122, true}));
    EXPECT_EQ(collectorChipMetrics(300), (M{150, true}));
}

TEST(CollectorChipMetrics, AWidthIsKeptOnlyFromOnePointOfChange) {
    std::optional<double> stored;
    EXPECT_TRUE(storeChipStripWidth(stored, 300));
    EXPECT_FALSE(storeChipStripWidth(stored, 300.6));
    EXPECT_EQ(stored, 300);
    EXPECT_TRUE(storeChipStripWidth(stored, 301));
    EXPECT_EQ(stored, 301);
    // A new width that is not a number leaves the stored one.
    EXPECT_FALSE(storeChipStripWidth(stored, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(stored, 301);
    // A stored width that is not finite counts as none and is replaced.
    stored = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(storeChipStripWidth(stored, 250.2));
    EXPECT_EQ(stored, 250.2);
    stored = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(storeChipStripWidth(stored, 250.2));
    EXPECT_EQ(stored, 250.2);
}

TEST(CollectorBarLayouts, TheFirstThatFitsOfWideMediumCompact) {
    EXPECT_EQ(chooseCollectorBarLayout(800, 700, 500), CollectorBarLayout::wide);
    EXPECT_EQ(chooseCollectorBarLayout(700, 700, 500), CollectorBarLayout::wide);
    EXPECT_EQ(chooseCollectorBarLayout(699, 700, 500), CollectorBarLayout::medium);
    EXPECT_EQ(chooseCollectorBarLayout(499, 700, 500), CollectorBarLayout::compact);
    EXPECT_EQ(collectorItemsListHeight(1), 48);
    EXPECT_EQ(collectorItemsListHeight(8), 328);
    EXPECT_EQ(collectorItemsListHeight(9), 360);
    EXPECT_EQ(collectorConfirmListHeight(0), 60);
    EXPECT_EQ(collectorConfirmListHeight(1), 60);
    EXPECT_EQ(collectorConfirmListHeight(6), 264);
    EXPECT_EQ(collectorConfirmListHeight(7), 280);
}

// /scan ─ A 50 (a1 30, a2 20), App.app 10, B 10
class CollectorTreeTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {folder("A", {file("a1", 30), file("a2", 20)}),
                                node("App.app", FileNode::Kind::package, 10), folder("B", {file("b1", 10)})});
        state->finishScan(root, {});
        settle();
        a = child(root, "A");
        app = child(root, "App.app");
        b = child(root, "B");
    }
    NodeRef root, a, app, b;
};

TEST_F(CollectorTreeTest, ADropKeepsNodesOfTheTreeOnceInDropOrderAndNeverTheRoot) {
    const auto lookup = [this](const std::string& path) { return state->nodeForURL(path); };
    EXPECT_TRUE(collectorDropNodes({"/scan"}, lookup).empty());
    EXPECT_TRUE(collectorDropNodes({"/elsewhere/x", "/scan/none"}, lookup).empty());
    const std::vector<NodeRef> kept =
        collectorDropNodes({"/scan/B", "/scan/A/a1", "/scan", "/scan/B", "/scan/A/../B", "/scan/A"}, lookup);
    EXPECT_EQ(kept, (std::vector<NodeRef>{b, child(a, "a1"), a}));
}

TEST_F(CollectorTreeTest, TheSheetOrdersBySizeWithLeftoversAndCountsEveryLeftover) {
    CollectorLeftovers leftovers;
    leftovers[app] = {remnant("/L/one", 25), remnant("/L/two", 25)};
    leftovers[b] = {};
    // App 10 + 50 = 60 before A 50; B 10 and a2... equal sizes keep their order.
    const NodeRef a2 = child(a, "a2");
    const std::vector<NodeRef> order = collectorConfirmOrder({b, a, app, a2}, leftovers);
    EXPECT_EQ(order, (std::vector<NodeRef>{app, a, a2, b}));
    EXPECT_EQ(sizeWithLeftovers(*app, leftovers), 60);
    EXPECT_EQ(collectorConfirmItemCount({app}, leftovers), 3);
    EXPECT_EQ(collectorConfirmItemCount({}, {}), 0);
    const NodeRef b1 = child(b, "b1");
    EXPECT_EQ(collectorConfirmOrder({b1, b}, {}), (std::vector<NodeRef>{b1, b})) << "equal sizes keep their order";
}

TEST_F(CollectorTreeTest, TheCacheCountsLeftoversAndSortsOnlyWhenAVersionMoves) {
    ShellCollectorCache cache;
    EXPECT_FALSE(cache.key());
    cache.refresh(*state);
    EXPECT_TRUE(cache.key());
    EXPECT_EQ(cache.cachedTotal(), 0);
    EXPECT_TRUE(cache.largestFirst(*state).empty());

    state->addToCollector({app, child(a, "a2"), b});
    state->trashMoves().acceptLeftovers({remnant("/Library/Caches/app", 7)}, app);
    cache.refresh(*state);
    EXPECT_EQ(cache.cachedTotal(), 10 + 20 + 10 + 7);
    const std::vector<NodeRef>* sorted = &cache.largestFirst(*state);
    EXPECT_EQ(*sorted, (std::vector<NodeRef>{child(a, "a2"), app, b})) << "the node alone, leftovers aside";
    EXPECT_EQ(&cache.largestFirst(*state), sorted);
    EXPECT_EQ(cache.largestFirst(*state), *sorted);

    // Only the tree changes (a2 goes to the Trash): the total and the order follow.
    state->trashMoves().removeTrashedNodes({child(a, "a2")});
    cache.refresh(*state);
    EXPECT_EQ(cache.cachedTotal(), 10 + 10 + 7);
    EXPECT_EQ(cache.largestFirst(*state), (std::vector<NodeRef>{app, b}));
}

TEST_F(CollectorTreeTest, TextsCountWithGroupingAndNameFoldersFromHome) {
    EXPECT_EQ(collectorItemCountText(1), "1 item");
    EXPECT_EQ(collectorItemCountText(2), "2 items");
    EXPECT_EQ(collectorItemCountText(1234), "1,234 items");
    EXPECT_EQ(collectorItemsListTitle(1), "1 Collected Item");
    EXPECT_EQ(collectorItemsListTitle(1234), "1,234 Collected Items");
    EXPECT_EQ(collectorConfirmTitle(0), "Move 0 items to the Trash?");
    EXPECT_EQ(collectorConfirmTitle(1), "Move 1 item to the Trash?");
    EXPECT_EQ(collectorConfirmTitle(3), "Move 3 items to the Trash?");
    EXPECT_EQ(collectorLeftoverBadge(3), "+3");
    EXPECT_EQ(collectorLeftoverBadgeHelp(1), "Plus 1 leftover item outside this scan");
    EXPECT_EQ(collectorLeftoverBadgeHelp(3), "Plus 3 leftover items outside this scan");
    EXPECT_EQ(collectorFreedMessage(0).left(6), "Freed ");
    EXPECT_EQ(collectorMovedMessage(4'300'000), "Moved 4.3 MB to the Trash");

    // Folders of items: "~" for home, a root of "/" stays "/", the item itself without a parent.
    const NodeRef home = folder("/home/ann/", {folder("Music", {file("song", 5)})});
    const NodeRef song = child(child(home, "Music"), "song");
    EXPECT_EQ(collectorRowSubtitle(*song, 0, 0, "/home/ann"), "~/Music");
    EXPECT_EQ(collectorRowSubtitle(*child(home, "Music"), 0, 0, "/home/ann"), "~");
    EXPECT_EQ(collectorRowSubtitle(*home, 0, 0, "/home/ann"), "~");
    EXPECT_EQ(collectorRowSubtitle(*song, 1, 0, "/home/ann"), "~/Music · plus 1 leftover item");
    EXPECT_EQ(collectorRowSubtitle(*song, 3, 0, "/elsewhere"), "/home/ann/Music · plus 3 leftover items");
    const NodeRef top = folder("/", {file("swap", 1)});
    EXPECT_EQ(collectorRowSubtitle(*child(top, "swap"), 0, 0, "/home/ann"), "/");
    EXPECT_EQ(collectorChipHelp(*child(home, "Music"), {5, 0}), "/home/ann/Music — " + collectorBytes(5));
    EXPECT_EQ(collectorRemoveAccessibleName(*song, {}), "Remove song from Collector");

    // Control characters and bad bytes of names show as symbols, in paths too.
    const NodeRef odd = folder("/home/ann/", {folder("tab\there", {file("line1\nline2\xFF", 5)})});
    const NodeRef inner = child(child(odd, "tab\there"), "line1\nline2\xFF");
    EXPECT_EQ(collectorRowSubtitle(*inner, 0, 0, "/home/ann"), QString::fromUtf8("~/tab\u21E5here"));
    EXPECT_EQ(collectorChipHelp(*inner, {5, 0}),
              QString::fromUtf8("/home/ann/tab\u21E5here/line1\u21B5line2\uFFFD — ") + collectorBytes(5));
    EXPECT_EQ(collectorRemoveAccessibleName(*inner, {}), QString::fromUtf8("Remove line1\u21B5line2\uFFFD from Collector"));
}

} // namespace
} // namespace plenwick::test
