// What the cells show: shares in the tree and in flat lists, the detail line, the
// collected marks and tooltips, the column texts and the dimming by type filter.

#include "app/StateFixture.h"
#include "outline/OutlineCellContent.h"
#include "scanner/FileCategory.h"

#include <QLocale>

namespace plenwick::test {
namespace {

class OutlineCellTest : public StateTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        makeState();
        root = folder("/scan", {folder("Photos", {folder("2024", {file("a.jpg", 600)}), file("b.png", 200)}),
                                node("locked", FileNode::Kind::inaccessible, 0), file("c.txt", 200)});
        state->finishScan(root, {});
        photos = child(root, "Photos");
        year = child(photos, "2024");
        a = child(year, "a.jpg");
    }
    void TearDown() override {
        StateTest::TearDown();
        QLocale::setDefault(QLocale::system());
    }
    NodeRef root, photos, year, a;
};

TEST_F(OutlineCellTest, SharesAreOfTheParentInTheTreeAndOfTheListInFlatLists) {
    OutlineShare share = outlineShare(*photos, nullptr);
    EXPECT_DOUBLE_EQ(share.fraction, 0.8);
    EXPECT_DOUBLE_EQ(share.percent, 0.8);
    // The top row shows a full bar; a node whose parent is empty, or one that could
    // not be read, has no share at all (a share of nothing is not all of it).
    EXPECT_DOUBLE_EQ(outlineShare(*root, nullptr).fraction, 1.0);
    EXPECT_TRUE(outlineShare(*root, nullptr).known);
    EXPECT_TRUE(share.known);
    NodeRef empty = folder("e", {folder("f", {})});
    EXPECT_FALSE(outlineShare(*child(empty, "f"), nullptr).known);
    EXPECT_EQ(outlineShare(*child(empty, "f"), nullptr).fraction, 0.0);
    EXPECT_FALSE(outlineShare(*child(root, "locked"), nullptr).known);
    EXPECT_TRUE(outlineShare(*child(root, "c.txt"), nullptr).known);

    OutlineFlatList list;
    list.nodes = {a, child(photos, "b.png")};
    list.scope = photos;
    list.updateMaxSize();
    share = outlineShare(*child(photos, "b.png"), &list);
    EXPECT_DOUBLE_EQ(share.fraction, 200.0 / 600.0);  // against the largest listed
    EXPECT_DOUBLE_EQ(share.percent, 0.25);            // of the listed folder
    list.maxSize = 0;
    list.scope = empty;
    share = outlineShare(*a, &list);
    EXPECT_EQ(share.fraction, 0.0);
    EXPECT_EQ(share.percent, 0.0);
    EXPECT_FALSE(share.known);
}

TEST_F(OutlineCellTest, DetailLinesNameTheFoldersBetweenListAndItem) {
    OutlineFlatList list;
    list.scope = photos;
    EXPECT_FALSE(outlineDetailPath(*a, nullptr, {}));
    EXPECT_EQ(outlineDetailPath(*child(photos, "b.png"), &list, {}), QStringLiteral("Photos"));
    EXPECT_EQ(outlineDetailPath(*a, &list, {}), QStringLiteral("2024"));
    // Search results belong to the root: the way down starts below it.
    list.scope = root;
    EXPECT_EQ(outlineDetailPath(*a, &list, {}), QStringLiteral("Photos › 2024"));
    EXPECT_EQ(outlineDetailPath(*child(root, "c.txt"), &list, {}), QStringLiteral("scan"));
    // A scope never met: the way up ends with the root's display name.
    list.scope = child(root, "c.txt");
    EXPECT_EQ(outlineDetailPath(*a, &list, {}), QStringLiteral("scan › Photos › 2024"));
    // A scanned volume's root goes by its volume's name, on the way and as the scope.
    const VolumeNameMap names = makeVolumeNameMap({{"/scan/", "Backup"}});
    EXPECT_EQ(outlineDetailPath(*a, &list, names), QStringLiteral("Backup › Photos › 2024"));
    list.scope = root;
    EXPECT_EQ(outlineDetailPath(*child(root, "c.txt"), &list, names), QStringLiteral("Backup"));
}

TEST_F(OutlineCellTest, NamesPathsAndTooltipsShowControlCharactersAsSymbols) {
    // Nothing of a name is cut or hidden: line breaks, tabs, returns and bad bytes.
    NodeRef odd = file("line1\nline2.txt", 10);
    NodeRef tabbed = folder("tab\tdir\r", {folder("bad\xFF", {odd})});
    NodeRef top = folder("/scan", {tabbed});
    OutlineFlatList list;
    list.scope = top;
    EXPECT_EQ(odd->displayName(), "line1\u21B5line2.txt");
    EXPECT_EQ(outlineDetailPath(*odd, &list, {}), QString::fromUtf8("tab\u21E5dir\u21E4 › bad\uFFFD"));
    EXPECT_EQ(outlineNameToolTip(*odd, {}), QString::fromUtf8("/scan/tab\u21E5dir\u21E4/bad\uFFFD/line1\u21B5line2.txt"));
}

TEST_F(OutlineCellTest, CollectedMarksAndTooltips) {
    EXPECT_FALSE(outlineCollected(*a, *state).collected);
    state->syncCollector({photos});
    const OutlineCollected folderState = outlineCollected(*photos, *state);
    const OutlineCollected inside = outlineCollected(*a, *state);
    EXPECT_TRUE(folderState.collected && folderState.collectorItem);
    EXPECT_TRUE(inside.collected);
    EXPECT_FALSE(inside.collectorItem);
    EXPECT_EQ(outlineNameToolTip(*photos, folderState), QStringLiteral("/scan/Photos\nIn the Collector"));
    EXPECT_EQ(outlineNameToolTip(*a, inside), QStringLiteral("/scan/Photos/2024/a.jpg\nInside a collected folder"));
    EXPECT_EQ(outlineNameToolTip(*child(root, "locked"), {}),
              QStringLiteral("/scan/locked\nCouldn’t be read (permission denied)"));
    const RGB grey = outlineCollectedBarColor({1, 0, 0});
    EXPECT_NEAR(grey.red, 0.299 + 0.701 * 0.2, 1e-9);
    EXPECT_NEAR(grey.green, 0.299 * 0.8, 1e-9);
}

TEST_F(OutlineCellTest, ColumnTextsAndTypeFilterDimming) {
    EXPECT_EQ(outlineSizeText(*child(root, "locked")), QStringLiteral("—"));
    EXPECT_EQ(outlineItemsText(*photos), QStringLiteral("2"));
    EXPECT_EQ(outlineItemsText(*a), QString());
    NodeRef big = node("big", FileNode::Kind::directory, 0);
    big->setFileCount(12345);
    EXPECT_EQ(outlineItemsText(*big), QStringLiteral("12,345"));
    EXPECT_EQ(outlineModifiedText(*a), QString());  // no date
    // The medium date style, without the time (noon UTC, the same day in any zone).
    NodeRef dated = FileNode::make("d", FileNode::Kind::file, 1, 1, 1, 1699963200);
    EXPECT_EQ(outlineModifiedText(*dated), QStringLiteral("Nov 14, 2023"));

    EXPECT_EQ(outlineRowOpacity(*a, *state), 1.0);
    state->setTypeFilter(TypeFilter::fileExtension("png"));
    EXPECT_EQ(outlineRowOpacity(*a, *state), 0.4);
    EXPECT_EQ(outlineRowOpacity(*child(photos, "b.png"), *state), 1.0);
    EXPECT_EQ(outlineRowOpacity(*photos, *state), 1.0);  // folders never dim
    EXPECT_EQ(outlineRowOpacity(*child(root, "locked"), *state), 0.4);
}

} // namespace
} // namespace plenwick::test
