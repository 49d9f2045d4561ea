// The selection and hover between the state and the table: the folders a row needs
// opened, and a mouse resting over the rows while the state's change scrolls them.

#include "OutlineTableFixture.h"
#include "common/DuringNotification.h"
#include "common/StrictState.h"
#include "outline/OutlineSelectionSync.h"

#include <QCursor>
#include <QScrollBar>
#include <QTest>

namespace plenwick::test {
namespace {

TEST(OutlineListedAncestorsTest, TheFoldersFromTheRootDownToTheParentOutermostFirst) {
    NodeRef deep = folder("/scan", {folder("a", {folder("b", {file("c.txt", 1)})}), file("d.txt", 1)});
    const FileNode* root = deep.get();
    const FileNode* a = child(deep, "a").get();
    const FileNode* b = child(child(deep, "a"), "b").get();
    const FileNode* c = child(child(child(deep, "a"), "b"), "c.txt").get();
    EXPECT_EQ(listedAncestors(c, root), (std::vector<const FileNode*>{root, a, b}));
    EXPECT_EQ(listedAncestors(b, root), (std::vector<const FileNode*>{root, a}));
    EXPECT_EQ(listedAncestors(child(deep, "d.txt").get(), root), std::vector<const FileNode*>{root});
    EXPECT_TRUE(listedAncestors(root, root).empty());
    // Listed from a folder below the scan's root, the walk stops there.
    EXPECT_EQ(listedAncestors(c, a), (std::vector<const FileNode*>{a, b}));
}

// root ─ Many (60 files), and a file: the largest files fill more than one screen.
NodeRef tallRoot() {
    std::vector<NodeRef> many;
    for (int i = 0; i < 60; ++i) many.push_back(file("f" + std::to_string(i) + ".log", 1000 - i));
    return folder("/scan", {folder("Many", std::move(many)), file("small.txt", 1)});
}

TEST_F(OutlineTableTest, AScrollWhileTheStateNotifiesReportsTheRowUnderTheMouseOnlyAfterwards) {
    NodeRef root = tallRoot();
    scan(root);
    view->viewModel().setMode(OutlineMode::largest);
    settle();
    ASSERT_NE(coordinator().flatList(), nullptr);
    NodeRef many = child(root, "Many");
    NodeRef first = child(many, "f0.log"), last = child(many, "f59.log");
    ASSERT_TRUE(table().viewport()->rect().contains(centreOf(first)));
    // The mouse rests over the first row.
    QCursor::setPos(table().viewport()->mapToGlobal(centreOf(first)));
    QTest::mouseMove(table().viewport(), centreOf(first));
    ASSERT_EQ(state->hovered(), first);

    // Selected elsewhere, a row far down is scrolled to while the state tells its
    // views; the row now under the resting mouse is reported after that.
    CountedReentries reentries;
    state->select(last);
    ASSERT_GT(table().verticalScrollBar()->value(), 0);
    EXPECT_EQ(reentries.count(), 0);
    deliver();
    EXPECT_EQ(reentries.count(), 0);
    const NodeRef under = retainNode(table().nodeAt(table().viewport()->mapFromGlobal(QCursor::pos())));
    ASSERT_TRUE(under);
    EXPECT_NE(under, first);
    EXPECT_EQ(state->hovered(), under);
    EXPECT_EQ(coordinator().highlightedRowItem(), under.get());

    // Scrolled by the user, the rows report the one under the mouse as well.
    table().verticalScrollBar()->setValue(0);
    deliver();
    EXPECT_EQ(state->hovered(), first);
}

// A widget shown over the resting mouse from inside the state's notification sends the
// table a Leave right then: the hover it ends reaches the state after the notification.
TEST_F(OutlineTableTest, ALeaveCausedByTheStatesOwnChangeReportsAfterTheNotification) {
    NodeRef root = tallRoot();
    scan(root);
    view->viewModel().setMode(OutlineMode::largest);
    settle();
    NodeRef first = child(child(root, "Many"), "f0.log");
    restPointer(table().viewport(), centreOf(first));
    ASSERT_EQ(state->hovered(), first);

    coverDuringNextNotification(*state, view.get());
    state->select(child(root, "small.txt"));
    EXPECT_EQ(state->hovered(), first);
    deliver();
    EXPECT_FALSE(state->hovered());
}

} // namespace
} // namespace plenwick::test
