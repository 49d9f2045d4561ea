// Keys, double clicks and menus of the table, driven with QTest on the real view.

#include "OutlineTableFixture.h"
#include "nodemenu/NodeContextMenu.h"
#include "outline/OutlineMenus.h"

#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace plenwick::test {
namespace {

NodeRef sampleRoot() {
    return folder("/scan", {folder("Docs", {file("annual report.pdf", 300), file("résumé ünïcode.txt", 40)}),
                            folder("Music", {folder("Live", {file("song.mp3", 900)})}), file("top.bin", 20)});
}

class OutlineKeysTest : public OutlineTableTest {
protected:
    // As the desktop delivers a double click: a click, then the second press.
    void doubleClick(QPoint pos) {
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(table().viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(table().viewport(), Qt::LeftButton, {}, pos);
    }
    std::vector<NodeMenuEntry> rowMenu(const NodeRef& node) const {
        return nodeMenuEntries(*state, *node, NodeMenuSite::outline);
    }
    // Triggers the entry titled `title` of `menu` and closes it.
    static void trigger(QMenu* menu, const QString& title) {
        ASSERT_TRUE(menu);
        for (QAction* action : menu->actions())
            if (action->text() == title) action->trigger();
        menu->close();
    }
    void select(const NodeRef& node) {
        state->select(node);
        deliver();
        table().setFocus();
    }
};

TEST_F(OutlineKeysTest, ReturnZoomsIntoFoldersAndSpaceTogglesThePreview) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef docs = child(root, "Docs"), music = child(root, "Music");
    select(docs);
    // Command-like modifiers leave the key to the table.
    for (Qt::KeyboardModifier m : {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
        QTest::keyClick(&table(), Qt::Key_Return, m);
        EXPECT_EQ(state->focus(), root);
    }
    QTest::keyClick(&table(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(state->focus(), docs);
    select(music);
    QTest::keyClick(&table(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(state->focus(), music);

    NodeRef pdf = child(docs, "annual report.pdf");
    select(pdf);
    QTest::keyClick(&table(), Qt::Key_Return);  // a file: the table's own handling
    EXPECT_EQ(state->focus(), music);
    QTest::keyClick(&table(), Qt::Key_Space);
    EXPECT_EQ(state->quickLookURL(), "/scan/Docs/annual report.pdf");
    QTest::keyClick(&table(), Qt::Key_Space);
    EXPECT_FALSE(state->quickLookURL());
    // An open preview follows the selection; Space then closes it.
    QTest::keyClick(&table(), Qt::Key_Space);
    select(docs);
    EXPECT_EQ(state->quickLookURL(), "/scan/Docs");
    QTest::keyClick(&table(), Qt::Key_Space);
    EXPECT_FALSE(state->quickLookURL());
}

TEST_F(OutlineKeysTest, ArrowsOpenAndCloseARowBeforeMovingToItsParentOrChild) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef music = child(root, "Music"), live = child(music, "Live");
    select(music);
    ASSERT_FALSE(isExpanded(music));
    QTest::keyClick(&table(), Qt::Key_Right);
    EXPECT_TRUE(isExpanded(music));
    EXPECT_EQ(state->selection(), music);
    QTest::keyClick(&table(), Qt::Key_Right);
    EXPECT_EQ(state->selection(), live);
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_EQ(state->selection(), music) << "a closed row goes to its parent";
    ASSERT_TRUE(isExpanded(music));
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_FALSE(isExpanded(music)) << "an open row closes first";
    EXPECT_EQ(state->selection(), music);
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_EQ(state->selection(), root);

    // Also while the list is scrolled sideways (a narrow sidebar with every column).
    view.reset();
    makeView(120);
    scan(root);
    for (int logical = 0; logical < header().count(); ++logical) header().setSectionHidden(logical, false);
    select(music);
    QTest::keyClick(&table(), Qt::Key_Right);
    ASSERT_TRUE(isExpanded(music));
    QScrollBar* sideways = table().horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    sideways->setValue(sideways->maximum());
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_FALSE(isExpanded(music));
    EXPECT_EQ(state->selection(), music);
}

TEST_F(OutlineKeysTest, TypingJumpsToRowsByName) {
    NodeRef root = sampleRoot();
    scan(root);
    select(root);
    QTest::keyClicks(&table(), "mu");
    EXPECT_EQ(state->selection(), child(root, "Music"));
}

TEST_F(OutlineKeysTest, DoubleClicksZoomIntoFoldersAndBringFilesIntoFocus) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef docs = child(root, "Docs"), music = child(root, "Music"), live = child(music, "Live");
    doubleClick(centreOf(music));
    EXPECT_EQ(state->focus(), music);
    // A search result outside the focus: selected, and its folder becomes the focus.
    view->viewModel().setQuery("song");
    settle();
    NodeRef song = child(live, "song.mp3");
    ASSERT_TRUE(indexOf(song).isValid());
    state->navigate(docs);
    doubleClick(centreOf(song));
    EXPECT_EQ(state->selection(), song);
    EXPECT_EQ(state->focus(), live);
    // Inside the focus only the selection changes.
    state->navigate(music);
    state->select({});
    doubleClick(centreOf(song));
    EXPECT_EQ(state->selection(), song);
    EXPECT_EQ(state->focus(), music);
    // Below the last row nothing happens.
    doubleClick(QPoint(10, table().viewport()->height() - 3));
    EXPECT_EQ(state->focus(), music);
}

TEST_F(OutlineKeysTest, ContextMenusOfRowsAndHeader) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef docs = child(root, "Docs");
    auto titles = [](const std::vector<NodeMenuEntry>& entries) {
        QStringList out;
        for (const NodeMenuEntry& e : entries) out << (e.separatorBefore ? QStringLiteral("-") : QString()) + e.title;
        return out;
    };
    EXPECT_EQ(titles(rowMenu(docs)),
              (QStringList{"Reveal in File Manager", "Open", "Preview", "Copy Path", "-Zoom In", "Rescan This Folder",
                           "-Add to Collector", "Move to Trash…"}));
    EXPECT_EQ(titles(rowMenu(child(root, "top.bin"))),
              (QStringList{"Reveal in File Manager", "Open", "Preview", "Copy Path", "-Add to Collector",
                           "Move to Trash…"}));
    // The scan root can be neither collected nor trashed.
    for (const NodeMenuEntry& entry : rowMenu(root))
        EXPECT_EQ(entry.enabled, entry.action != NodeMenuAction::addToCollector &&
                                     entry.action != NodeMenuAction::moveToTrash)
            << entry.title.toStdString();
    // Below the last row: no menu.
    EXPECT_EQ(coordinator().showContextMenu(nullptr, QPoint()), nullptr);

    // Copy Path puts the plain path on the clipboard, spaces and accents as they are.
    NodeRef odd = child(docs, "résumé ünïcode.txt");
    QMenu* menu = coordinator().showContextMenu(odd.get(), QPoint(10, 10));
    ASSERT_TRUE(menu);
    menu->actions().at(3)->trigger();
    menu->close();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("/scan/Docs/résumé ünïcode.txt"));
    // With the file's URL, which file managers and terminals take.
    EXPECT_EQ(QApplication::clipboard()->mimeData()->urls(),
              QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/scan/Docs/résumé ünïcode.txt"))});
    // Zoom In and Preview act on the row's node.
    trigger(coordinator().showContextMenu(docs.get(), QPoint(10, 10)), QStringLiteral("Zoom In"));
    EXPECT_EQ(state->focus(), docs);
    // Collecting a folder: its own menu offers to take it out again; a file inside it
    // shows that entry disabled, since only the folder is an item of the collector.
    trigger(coordinator().showContextMenu(docs.get(), QPoint(10, 10)), QStringLiteral("Add to Collector"));
    ASSERT_EQ(state->collector(), std::vector<NodeRef>{docs});
    const std::vector<NodeMenuEntry> inside = rowMenu(odd);
    EXPECT_EQ(inside[4].title, QStringLiteral("Remove from Collector"));
    EXPECT_FALSE(inside[4].enabled);
    trigger(coordinator().showContextMenu(docs.get(), QPoint(10, 10)), QStringLiteral("Remove from Collector"));
    EXPECT_TRUE(state->collector().empty());
    // Move to Trash… asks first: the item awaits the confirmation.
    trigger(coordinator().showContextMenu(odd.get(), QPoint(10, 10)), QStringLiteral("Move to Trash…"));
    EXPECT_EQ(state->pendingTrash(), odd);
    state->setPendingTrash(nullptr);
    menu = coordinator().showContextMenu(odd.get(), QPoint(10, 10));
    menu->actions().at(2)->trigger();
    menu->close();
    EXPECT_EQ(state->quickLookURL(), "/scan/Docs/résumé ünïcode.txt");

    // The header menu: never the name column, in the header's order, ticked when shown.
    const std::vector<OutlineHeaderMenuEntry> entries = outlineHeaderMenu({3, 0, 2, 1, 4}, {false, false, true, false, true});
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].column, OutlineColumn::items);
    EXPECT_EQ(entries[1].title, QStringLiteral("% of Folder"));
    EXPECT_FALSE(entries[1].checked);
    EXPECT_EQ(entries[2].title, QStringLiteral("Size"));
    EXPECT_TRUE(entries[2].checked);
}

TEST_F(OutlineKeysTest, CopyPathGivesTheSameTextFromTheRowsAndTheResultsMenus) {
    auto copied = [](QMenu* menu) {
        QApplication::clipboard()->clear();
        trigger(menu, QStringLiteral("Copy Path"));
        return QApplication::clipboard()->text();
    };
    QWidget host;
    auto bothMenus = [&](const NodeRef& node) {
        const QString fromRow = copied(coordinator().showContextMenu(node.get(), QPoint(10, 10)));
        const QString fromResults = copied(makeNodeContextMenu(*state, node, NodeMenuSite::results, &host));
        EXPECT_EQ(fromRow, fromResults) << node->name();
        return fromRow;
    };
    NodeRef root = sampleRoot();
    scan(root);
    // A folder's path is its file URL's: it ends in "/".
    EXPECT_EQ(bothMenus(child(root, "Docs")), QStringLiteral("/scan/Docs/"));
    EXPECT_EQ(bothMenus(child(child(root, "Docs"), "annual report.pdf")), QStringLiteral("/scan/Docs/annual report.pdf"));
    EXPECT_EQ(bothMenus(root), QStringLiteral("/scan/"));
    NodeRef volume = folder("/", {file("vmlinuz", 7)});
    scan(volume);
    EXPECT_EQ(bothMenus(volume), QStringLiteral("/"));
    EXPECT_EQ(bothMenus(child(volume, "vmlinuz")), QStringLiteral("/vmlinuz"));
}

TEST_F(OutlineKeysTest, ARightClickDoesNotSelect) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef top = child(root, "top.bin");
    QTest::mouseClick(table().viewport(), Qt::RightButton, {}, centreOf(top));
    EXPECT_FALSE(state->selection());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w)) menu->close();
}

TEST_F(OutlineKeysTest, ARowDraggedOutOffersACopyOnly) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef top = child(root, "top.bin");
    select(top);
    // A press, a move that arms the drag and one past the drag distance that starts
    // it. Without a desktop to drop on the drag ends at once; its object stays until
    // the event loop runs again.
    const QPoint start = centreOf(top), end = start + QPoint(40, 0);
    QTest::mousePress(table().viewport(), Qt::LeftButton, {}, start);
    for (QPoint at : {start + QPoint(1, 0), end}) {
        QMouseEvent move(QEvent::MouseMove, at, table().viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(table().viewport(), &move);
    }
    QDrag* drag = table().findChild<QDrag*>();
    ASSERT_TRUE(drag);
    // Another program must never move or link the user's file away.
    EXPECT_EQ(drag->supportedActions(), Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(drag->mimeData()->urls(), QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/scan/top.bin"))});
    QTest::mouseRelease(table().viewport(), Qt::LeftButton, {}, end);
}

} // namespace
} // namespace plenwick::test
