#include "app/StateFixture.h"

#include "app/NodeActions.h"
#include "app/PathRelations.h"
#include "nodemenu/NodeContextMenu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

namespace plenwick::test {
namespace {

using Action = NodeMenuAction;

// A tree on /data: docs/{report.pdf, old/}, Tools.APP (an app bundle), plain.app (a
// folder named like one), Locked (unreadable), link.
class NodeMenuTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        report = file("report.pdf", 400);
        old = folder("old", {file("a.txt", 50)});
        docs = folder("docs", {report, old});
        app = node("Tools.APP", FileNode::Kind::package, 300, {file("Info.plist", 10)});
        plain = folder("plain.app", {file("x", 5)});
        locked = node("Locked", FileNode::Kind::inaccessible, 0);
        link = node("link", FileNode::Kind::symlink, 1);
        root = folder("/data", {docs, app, plain, locked, link});
        state->finishScan(root, {});
    }

    static std::vector<Action> actions(const std::vector<NodeMenuEntry>& entries) {
        std::vector<Action> out;
        for (const NodeMenuEntry& e : entries) out.push_back(e.action);
        return out;
    }
    static const NodeMenuEntry& entry(const std::vector<NodeMenuEntry>& entries, Action action) {
        for (const NodeMenuEntry& e : entries)
            if (e.action == action) return e;
        static const NodeMenuEntry none{Action::reveal, QStringLiteral("missing")};
        ADD_FAILURE() << "no entry " << static_cast<int>(action);
        return none;
    }
    std::vector<NodeMenuEntry> menu(const NodeRef& n, NodeMenuSite site = NodeMenuSite::results) const {
        return nodeMenuEntries(*state, *n, site);
    }

    NodeRef report, old, docs, app, plain, locked, link, root;
};

// The rules every site shares, checked for the results' menu and the outline's rows.
class NodeMenuRulesTest : public NodeMenuTest, public ::testing::WithParamInterface<NodeMenuSite> {
protected:
    std::vector<NodeMenuEntry> menu(const NodeRef& n) const { return NodeMenuTest::menu(n, GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(BothMenus, NodeMenuRulesTest, ::testing::Values(NodeMenuSite::results, NodeMenuSite::outline),
                         [](const ::testing::TestParamInfo<NodeMenuSite>& info) {
                             return info.param == NodeMenuSite::results ? "results" : "outline";
                         });

TEST_P(NodeMenuRulesTest, FilesLinksAndUnreadableFoldersHaveNoFolderEntries) {
    const std::vector<Action> expected{Action::reveal,         Action::open, Action::quickLook, Action::copyPath,
                                       Action::addToCollector, Action::moveToTrash};
    for (const NodeRef& n : {report, link, locked}) {
        const std::vector<NodeMenuEntry> entries = menu(n);
        EXPECT_EQ(actions(entries), expected) << n->name();
        for (const NodeMenuEntry& e : entries) EXPECT_TRUE(e.enabled) << e.title.toStdString();
        EXPECT_TRUE(entry(entries, Action::addToCollector).separatorBefore);
    }
    const std::vector<NodeMenuEntry> entries = menu(report);
    EXPECT_EQ(entries[0].title, "Reveal in File Manager");
    EXPECT_EQ(entries[1].title, "Open");
    EXPECT_EQ(entries[2].title, "Preview");
    EXPECT_EQ(entries[3].title, "Copy Path");
    EXPECT_EQ(entry(entries, Action::moveToTrash).title, "Move to Trash…");
    EXPECT_TRUE(entry(entries, Action::moveToTrash).destructive);
    EXPECT_FALSE(entry(entries, Action::moveToTrash).separatorBefore);
}

TEST_P(NodeMenuRulesTest, FoldersAddZoomAndRescanAfterASeparator) {
    const std::vector<NodeMenuEntry> entries = menu(docs);
    EXPECT_EQ(actions(entries), (std::vector<Action>{Action::reveal, Action::open, Action::quickLook, Action::copyPath,
                                                     Action::zoomIn, Action::rescanFolder, Action::addToCollector,
                                                     Action::moveToTrash}));
    EXPECT_TRUE(entry(entries, Action::zoomIn).separatorBefore);
    EXPECT_EQ(entry(entries, Action::zoomIn).title, "Zoom In");
    EXPECT_EQ(entry(entries, Action::rescanFolder).title, "Rescan This Folder");
    EXPECT_TRUE(entry(entries, Action::rescanFolder).enabled);
    // While the folder is rescanned, its own rescan entry is disabled, and only its.
    state->rescanFolder(docs);
    EXPECT_FALSE(entry(menu(docs), Action::rescanFolder).enabled);
    EXPECT_TRUE(entry(menu(old), Action::rescanFolder).enabled);
}

TEST_F(NodeMenuTest, OnlyAnAppPackageOffersUninstallWithoutASeparator) {
    const std::vector<NodeMenuEntry> entries = menu(app);
    EXPECT_EQ(entries.back().action, Action::uninstall) << "the extension is compared in lower case";
    EXPECT_EQ(entries.back().title, "Uninstall…");
    EXPECT_FALSE(entries.back().separatorBefore);
    EXPECT_TRUE(isAppBundleNode(*app));
    for (const NodeRef& n : {plain, report, docs}) {
        EXPECT_NE(menu(n).back().action, Action::uninstall) << n->name();
        EXPECT_FALSE(isAppBundleNode(*n));
    }
    NodeRef appFile = file("Fake.app", 3);
    EXPECT_FALSE(isAppBundleNode(*appFile)) << "a file named like an app is no app";
    // An AppImage is a file of its own name; a folder so named is none.
    EXPECT_TRUE(isAppBundleNode(*file("Foo-1.2-x86_64.AppImage", 3)));
    EXPECT_TRUE(isAppBundleNode(*file("foo.appimage", 3)));
    EXPECT_FALSE(isAppBundleNode(*folder("Foo.AppImage", {file("x", 1)})));
    EXPECT_FALSE(isAppBundleNode(*file("Foo.AppImage.zsync", 3)));
}

TEST_P(NodeMenuRulesTest, TheRootCannotBeCollectedOrTrashed) {
    const std::vector<NodeMenuEntry> entries = menu(root);
    for (const NodeMenuEntry& e : entries) {
        const bool disabled = e.action == Action::addToCollector || e.action == Action::moveToTrash;
        EXPECT_EQ(e.enabled, !disabled) << e.title.toStdString();
    }
    // A whole volume scanned from "/": its root too.
    NodeRef volumeRoot = folder("/", {file("vmlinuz", 7)});
    state->finishScan(volumeRoot, {});
    for (const NodeMenuEntry& e : menu(volumeRoot)) {
        const bool disabled = e.action == Action::addToCollector || e.action == Action::moveToTrash;
        EXPECT_EQ(e.enabled, !disabled) << e.title.toStdString();
    }
    EXPECT_TRUE(entry(menu(child(volumeRoot, "vmlinuz")), Action::moveToTrash).enabled);
}

// What the Trash refuses is not offered: the Trash, what lies in it, also reached
// through links, has its collector and Trash entries disabled with the reason.
TEST_P(NodeMenuRulesTest, TheTrashsOwnItemsCanNeitherBeCollectedNorTrashed) {
    const NodeRef scan = trashBehindLinks();
    state->finishScan(scan, {});
    const NodeRef trash = child(child(scan, "share"), "Trash");
    for (const NodeRef& n : {trash, child(trash, "files"), child(child(trash, "files"), "old.txt"), child(trash, "info")}) {
        const std::vector<NodeMenuEntry> entries = menu(n);
        for (Action action : {Action::addToCollector, Action::moveToTrash}) {
            EXPECT_FALSE(entry(entries, action).enabled) << n->name();
            EXPECT_EQ(entry(entries, action).toolTip, "It is part of the Trash.") << n->name();
        }
        EXPECT_TRUE(entry(entries, Action::reveal).enabled);
    }
    for (const NodeRef& n : {child(scan, "share"), child(scan, "keep.txt")}) {
        const std::vector<NodeMenuEntry> entries = menu(n);
        const NodeMenuEntry& trashEntry = entry(entries, Action::moveToTrash);
        EXPECT_TRUE(trashEntry.enabled) << n->name();
        EXPECT_TRUE(trashEntry.toolTip.isEmpty()) << n->name();
    }

    // The menu shows the reason as the entry's tool tip, and keeps it as the state changes.
    QWidget host;
    QMenu* built = makeNodeContextMenu(*state, child(trash, "files"), GetParam(), &host);
    ASSERT_NE(built, nullptr);
    EXPECT_TRUE(built->toolTipsVisible());
    QAction* trashAction = built->actions().back();
    EXPECT_FALSE(trashAction->isEnabled());
    EXPECT_EQ(trashAction->toolTip(), "It is part of the Trash.");
    state->addToCollector({child(scan, "keep.txt")});
    EXPECT_FALSE(trashAction->isEnabled());
    EXPECT_EQ(trashAction->toolTip(), "It is part of the Trash.");
}

TEST_F(NodeMenuTest, TheOutlinesRowsOfferAllButUninstall) {
    auto withoutUninstall = [this](const NodeRef& n) {
        std::vector<NodeMenuEntry> entries = menu(n, NodeMenuSite::results);
        std::erase_if(entries, [](const NodeMenuEntry& e) { return e.action == Action::uninstall; });
        return entries;
    };
    auto compareAll = [&](const char* when) {
        for (const NodeRef& n : {root, docs, report, old, app, plain, locked, link})
            EXPECT_EQ(menu(n, NodeMenuSite::outline), withoutUninstall(n)) << n->name() << " " << when;
    };
    compareAll("at first");
    EXPECT_EQ(actions(menu(app, NodeMenuSite::outline)).back(), Action::moveToTrash);
    state->syncCollector({docs});
    compareAll("with docs collected");
    state->rescanFolder(old);
    compareAll("while old is rescanned");
}

TEST_P(NodeMenuRulesTest, CollectedItemsAndWhatTheyHoldOfferRemovalOnlyForThemselves) {
    EXPECT_EQ(entry(menu(old), Action::addToCollector).title, "Add to Collector") << "empty collector";
    state->syncCollector({docs});
    const NodeMenuEntry own = entry(menu(docs), Action::removeFromCollector);
    EXPECT_EQ(own.title, "Remove from Collector");
    EXPECT_TRUE(own.enabled);
    EXPECT_TRUE(own.separatorBefore);
    for (const NodeRef& inside : {report, old, child(old, "a.txt")}) {
        const std::vector<NodeMenuEntry> entries = menu(inside);
        EXPECT_FALSE(entry(entries, Action::removeFromCollector).enabled) << inside->name();
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [](const NodeMenuEntry& e) { return e.action == Action::addToCollector; }),
                  0);
    }
    EXPECT_EQ(entry(menu(app), Action::addToCollector).title, "Add to Collector") << "a sibling is not covered";
    EXPECT_TRUE(state->isCollectedOrInside(report.get()));
    EXPECT_FALSE(state->isCollected(report.get()));
}

TEST_F(NodeMenuTest, MoveToTrashAsksOnlyForNodesUnderTheCurrentRoot) {
    performNodeMenuAction(*state, root, Action::moveToTrash);
    EXPECT_FALSE(state->pendingTrash()) << "the root is never trashed";
    NodeRef stray = folder("elsewhere", {file("f", 1)});
    performNodeMenuAction(*state, child(stray, "f"), Action::moveToTrash);
    EXPECT_FALSE(state->pendingTrash()) << "a node of another tree is ignored";
    performNodeMenuAction(*state, report, Action::moveToTrash);
    EXPECT_EQ(state->pendingTrash(), report);
}

TEST_F(NodeMenuTest, ZoomInNavigatesAndQuickLookPreviewsEvenAFolder) {
    performNodeMenuAction(*state, docs, Action::zoomIn);
    EXPECT_EQ(state->focus(), docs);
    EXPECT_EQ(state->navigationHistory().back(), root);
    performNodeMenuAction(*state, old, Action::quickLook);
    EXPECT_EQ(state->quickLookURL(), std::optional<std::string>("/data/docs/old"));
}

TEST_F(NodeMenuTest, CopyPathPutsTheRawPathWithAFoldersSeparator) {
    performNodeMenuAction(*state, docs, Action::copyPath);
    EXPECT_EQ(QApplication::clipboard()->text(), "/data/docs/");
    NodeRef odd = file("Café report #1.txt", 3);
    NodeRef holder = folder("/tmp/with space", {odd});
    state->finishScan(holder, {});
    performNodeMenuAction(*state, odd, Action::copyPath);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("/tmp/with space/Café report #1.txt"))
        << "no percent escapes";
    NodeRef slash = folder("/", {});
    EXPECT_EQ(nodeURLPath(*slash), "/");
    EXPECT_EQ(nodeDisplayPath(*slash), "/");
    EXPECT_EQ(nodeDisplayPath(*docs), "/data/docs");
    EXPECT_EQ(nodeURLPath(*report), "/data/docs/report.pdf");
}

TEST_F(NodeMenuTest, ANodeTakenOutOfTheTreeIsLeftAlone) {
    // What a menu left open across a new scan still holds: its path is gone with it.
    NodeRef previous = docs;
    QApplication::clipboard()->setText(QStringLiteral("before"));
    state->finishScan(folder("/data", {file("new.txt", 1)}), {});
    const NodeRef focus = state->focus();
    for (Action action : {Action::copyPath, Action::quickLook, Action::zoomIn, Action::addToCollector,
                          Action::moveToTrash, Action::rescanFolder})
        performNodeMenuAction(*state, previous, action);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_FALSE(state->quickLookURL());
    EXPECT_EQ(state->focus(), focus);
    EXPECT_TRUE(state->collector().empty());
    EXPECT_FALSE(state->pendingTrash());
    EXPECT_TRUE(state->refreshingFolders().empty());
}

TEST_F(NodeMenuTest, TheMenuWidgetListsTheEntriesWithTheirSeparatorsAndFollowsTheCollector) {
    QWidget host;
    QMenu* built = makeNodeContextMenu(*state, docs, NodeMenuSite::results, &host);
    ASSERT_NE(built, nullptr);
    QStringList titles;
    for (QAction* a : built->actions()) titles << (a->isSeparator() ? QStringLiteral("—") : a->text());
    EXPECT_EQ(titles, (QStringList{"Reveal in File Manager", "Open", "Preview", "Copy Path", "—", "Zoom In",
                                   "Rescan This Folder", "—", "Add to Collector", "Move to Trash…"}));

    // Collecting the folder turns the open menu's entry into its removal.
    built->actions()[8]->trigger();
    EXPECT_EQ(state->collector(), std::vector<NodeRef>{docs});
    EXPECT_EQ(built->actions()[8]->text(), "Remove from Collector");
    EXPECT_TRUE(built->actions()[8]->isEnabled());
    built->actions()[8]->trigger();
    EXPECT_TRUE(state->collector().empty());
    EXPECT_EQ(built->actions()[8]->text(), "Add to Collector");

    // A rescan disables its own entry while it runs.
    built->actions()[6]->trigger();
    EXPECT_FALSE(built->actions()[6]->isEnabled());
    EXPECT_EQ(makeNodeContextMenu(*state, NodeRef(), NodeMenuSite::results, &host), nullptr) << "no node, no menu";

    QMenu* appMenu = makeNodeContextMenu(*state, app, NodeMenuSite::results, &host);
    EXPECT_EQ(appMenu->actions().back()->text(), "Uninstall…");
    QMenu* appRowMenu = makeNodeContextMenu(*state, app, NodeMenuSite::outline, &host);
    EXPECT_EQ(appRowMenu->actions().back()->text(), "Move to Trash…") << "the outline's rows offer no Uninstall";
}

TEST_F(NodeMenuTest, AChartCellOffersItsItemAndItsFolderInASubmenu) {
    QWidget host;
    auto titles = [](QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("—") : a->text());
        return out;
    };
    QMenu* both = makeNodeAndFolderContextMenu(*state, report, docs, &host);
    ASSERT_NE(both, nullptr);
    const QStringList all = titles(both);
    ASSERT_GE(all.size(), 3);
    EXPECT_EQ(all.front(), "Reveal in File Manager");
    EXPECT_EQ(all[all.size() - 2], "—");
    EXPECT_EQ(all.back(), "Folder “docs”");
    QMenu* sub = both->actions().back()->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(titles(sub), titles(makeNodeContextMenu(*state, docs, NodeMenuSite::results, &host)));

    // Over a rest cell only the folder, without a separator; with neither, no menu.
    QMenu* folderOnly = makeNodeAndFolderContextMenu(*state, NodeRef(), docs, &host);
    ASSERT_NE(folderOnly, nullptr);
    EXPECT_EQ(titles(folderOnly), QStringList{"Folder “docs”"});
    EXPECT_EQ(makeNodeAndFolderContextMenu(*state, NodeRef(), NodeRef(), &host), nullptr);
}

} // namespace
} // namespace plenwick::test
