// The tree table on screen: columns and their saved layout, reloads that keep the
// expansion, flat lists, selection and focus, hover, sorting by the headers, and
// fitting the name column.

#include "OutlineTableFixture.h"
#include "outline/LocaleNameCollation.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineHeaderLayout.h"

#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace plenwick::test {
namespace {

int name = logicalIndex(OutlineColumn::name);

// root ─ Alpha ─ Beta ─ x.bin
//      │       └ a.txt
//      ├ Gamma ─ y.dat
//      ├ Delta (40 files)
//      └ z.txt
NodeRef sampleRoot() {
    std::vector<NodeRef> many;
    for (int i = 0; i < 40; ++i) many.push_back(file("f" + std::to_string(i) + ".log", 10));
    return folder("/scan", {folder("Alpha", {folder("Beta", {file("x.bin", 5000)}), file("a.txt", 100)}),
                            folder("Gamma", {file("y.dat", 3000)}), folder("Delta", std::move(many)), file("z.txt", 50)});
}

TEST_F(OutlineTableTest, FirstLaunchShowsThreeColumnsSortedBySize) {
    for (OutlineColumn c : {OutlineColumn::name, OutlineColumn::size, OutlineColumn::share})
        EXPECT_FALSE(header().isSectionHidden(logicalIndex(c)));
    for (OutlineColumn c : {OutlineColumn::items, OutlineColumn::modified})
        EXPECT_TRUE(header().isSectionHidden(logicalIndex(c)));
    EXPECT_EQ(header().sortIndicatorSection(), logicalIndex(OutlineColumn::size));
    EXPECT_EQ(header().sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(header().sectionSize(logicalIndex(OutlineColumn::size)), 68);
    // The first click on a header: names A to Z, every other column descending.
    EXPECT_EQ(model().headerData(name, Qt::Horizontal, Qt::InitialSortOrderRole).toInt(), Qt::AscendingOrder);
    EXPECT_EQ(model().headerData(logicalIndex(OutlineColumn::items), Qt::Horizontal, Qt::InitialSortOrderRole).toInt(),
              Qt::DescendingOrder);
}

TEST_F(OutlineTableTest, WithoutAScanTheSidebarSaysSoAndHoldsNoRows) {
    EXPECT_TRUE(view->isShowingNothingScanned());
    EXPECT_TRUE(view->footerText().isEmpty());
    scan(sampleRoot());
    EXPECT_FALSE(view->isShowingNothingScanned());
    EXPECT_EQ(model().rowCount(), 1);
    state->scanRun().reset();
    EXPECT_TRUE(view->isShowingNothingScanned());
    EXPECT_EQ(model().rowCount(), 0);
}

TEST_F(OutlineTableTest, ASavedLayoutComesBackRepaired) {
    const int items = logicalIndex(OutlineColumn::items);
    header().setSectionHidden(items, false);
    header().moveSection(header().visualIndex(items), 0);
    // A layout that hides the name column, squeezes it and sorts by items.
    header().setSectionHidden(name, true);
    header().resizeSection(name, 10);
    header().setSortIndicator(items, Qt::AscendingOrder);
    coordinator().saveColumnLayout();
    view.reset();
    makeView();
    EXPECT_FALSE(header().isSectionHidden(items));
    EXPECT_EQ(header().visualIndex(items), 0);
    EXPECT_FALSE(header().isSectionHidden(name));
    EXPECT_GE(header().sectionSize(name), 90);
    EXPECT_EQ(header().sortIndicatorSection(), logicalIndex(OutlineColumn::size));
    EXPECT_EQ(coordinator().sort(), OutlineSort{});

    // A layout that cannot be read gives way to the defaults.
    state->preferences().setValue(kOutlineColumnsAutosaveName, QByteArray("not a header state"));
    view.reset();
    makeView();
    EXPECT_TRUE(header().isSectionHidden(items));
    EXPECT_EQ(header().visualIndex(items), items);

    // A hidden column saved at its minimum comes back at its first width when shown.
    const int modified = logicalIndex(OutlineColumn::modified);
    header().resizeSection(modified, 60);
    coordinator().saveColumnLayout();
    view.reset();
    makeView();
    ASSERT_TRUE(header().isSectionHidden(modified));
    QMenu* menu = coordinator().showHeaderMenu(QPoint(0, 0));
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Modified")) action->trigger();
    menu->close();
    EXPECT_EQ(header().sectionSize(modified), 86);
}

TEST_F(OutlineTableTest, ATreeEditResetsAroundItAndKeepsExpansion) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef alpha = child(root, "Alpha"), beta = child(alpha, "Beta"), gamma = child(root, "Gamma");
    state->select(child(beta, "x.bin"));
    deliver();  // the deferred selection sync
    EXPECT_TRUE(isExpanded(root));
    EXPECT_TRUE(isExpanded(alpha));
    EXPECT_TRUE(isExpanded(beta));
    table().expand(indexOf(gamma));

    bool resetting = false, editedWhileReset = false;
    QObject::connect(&model(), &QAbstractItemModel::modelAboutToBeReset, [&] { resetting = true; });
    QObject::connect(&model(), &QAbstractItemModel::modelReset, [&] { resetting = false; });
    state->results().editTree([&] {
        editedWhileReset = resetting;
        root->removeChildAt(static_cast<std::size_t>(root->indexOfChild(gamma.get())));
    });
    EXPECT_TRUE(editedWhileReset);
    EXPECT_FALSE(resetting);
    EXPECT_TRUE(isExpanded(alpha));
    EXPECT_TRUE(isExpanded(beta));
    EXPECT_FALSE(indexOf(gamma).isValid());
    EXPECT_EQ(model().rowCount(indexOf(root)), 3);
    // Asking past the rows gives nothing.
    EXPECT_FALSE(model().index(3, 0, indexOf(root)).isValid());
    EXPECT_FALSE(model().index(0, kOutlineColumnCount, indexOf(root)).isValid());
    EXPECT_EQ(table().selectionModel()->selectedRows().size(), 1);
}

TEST_F(OutlineTableTest, FlatListsDropNodesThatLeftTheTree) {
    NodeRef root = sampleRoot();
    scan(root);
    view->viewModel().setMode(OutlineMode::largest);
    settle();
    ASSERT_NE(coordinator().flatList(), nullptr);
    EXPECT_EQ(coordinator().flatList()->maxSize, 5000);
    NodeRef alpha = child(root, "Alpha");
    state->results().editTree([&] { root->removeChildAt(static_cast<std::size_t>(root->indexOfChild(alpha.get()))); });
    // Before the walk runs again the shown list has lost Alpha's files.
    EXPECT_EQ(coordinator().flatList()->maxSize, 3000);
    EXPECT_FALSE(indexOf(child(child(alpha, "Beta"), "x.bin")).isValid());
    EXPECT_EQ(model().rowCount(), 42);
}

TEST_F(OutlineTableTest, LeavingTheTreeAndComingBackRestoresItsRowsAndScroll) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef delta = child(root, "Delta"), alpha = child(root, "Alpha");
    table().expand(indexOf(delta));
    table().expand(indexOf(alpha));
    table().layoutNow();
    table().verticalScrollBar()->setValue(120);
    view->viewModel().setMode(OutlineMode::largest);
    settle();
    EXPECT_EQ(table().verticalScrollBar()->value(), 0);
    view->viewModel().setMode(OutlineMode::folders);
    settle();
    EXPECT_TRUE(isExpanded(delta));
    EXPECT_TRUE(isExpanded(alpha));
    EXPECT_FALSE(isExpanded(child(alpha, "Beta")));
    EXPECT_EQ(table().verticalScrollBar()->value(), 120);
}

TEST_F(OutlineTableTest, TheLargestFilesComeLargestFirstWhenChosenAndTheTreeKeepsItsOrder) {
    scan(sampleRoot());
    // The tree sorted by name, from its header.
    header().setSortIndicator(name, Qt::AscendingOrder);
    ASSERT_EQ(coordinator().sort(), (OutlineSort{OutlineSortKey::name, true}));
    view->viewModel().setMode(OutlineMode::largest);
    settle();
    ASSERT_NE(coordinator().flatList(), nullptr);
    EXPECT_EQ(coordinator().sort(), OutlineSort{});
    EXPECT_EQ(header().sortIndicatorSection(), logicalIndex(OutlineColumn::size));
    EXPECT_EQ(header().sortIndicatorOrder(), Qt::DescendingOrder);
    std::vector<std::string> listed;
    for (const NodeRef& node : coordinator().flatList()->nodes) listed.emplace_back(node->name());
    ASSERT_GE(listed.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 3),
              (std::vector<std::string>{"x.bin", "y.dat", "a.txt"}));
    // Sorted by name there, the list keeps that while it stays.
    header().setSortIndicator(name, Qt::AscendingOrder);
    EXPECT_EQ(coordinator().flatList()->nodes.front()->name(), "a.txt");
    // Back in the folders, the tree has the order it was left in.
    view->viewModel().setMode(OutlineMode::folders);
    settle();
    EXPECT_EQ(coordinator().sort(), (OutlineSort{OutlineSortKey::name, true}));
    EXPECT_EQ(header().sortIndicatorSection(), name);
}

TEST_F(OutlineTableTest, SelectionAndFocusTravelBothWays) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef delta = child(root, "Delta");
    // Zooming elsewhere expands the focus and scrolls it into view.
    state->navigate(delta);
    deliver();
    EXPECT_TRUE(isExpanded(delta));
    // A node selected elsewhere gets its row selected.
    NodeRef last = child(delta, "f9.log");
    state->select(last);
    deliver();
    ASSERT_EQ(table().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(model().nodeAt(table().selectionModel()->selectedRows().front()), last.get());
    const QRect row = table().visualRect(indexOf(last));
    EXPECT_TRUE(table().viewport()->rect().contains(row));
    // A click selects in the state.
    NodeRef z = child(root, "z.txt");
    table().scrollTo(indexOf(z));
    QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, centreOf(z));
    EXPECT_EQ(state->selection(), z);
    EXPECT_FALSE(coordinator().isSelectionSyncScheduled());
}

TEST_F(OutlineTableTest, HoverGoesToTheStateAndComesBackAsAHighlight) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef alpha = child(root, "Alpha");
    // A node inside a collapsed folder lights the folder's row.
    state->setHovered(child(alpha, "a.txt"));
    EXPECT_EQ(coordinator().highlightedRowItem(), alpha.get());
    EXPECT_EQ(table().hoverNode(), alpha.get());
    state->setHovered({});
    EXPECT_EQ(coordinator().highlightedRowItem(), nullptr);
    // The mouse over a row reports its node.
    NodeRef z = child(root, "z.txt");
    QTest::mouseMove(table().viewport(), centreOf(z) + QPoint(0, 40));
    QTest::mouseMove(table().viewport(), centreOf(z));
    EXPECT_EQ(state->hovered(), z);
    EXPECT_EQ(coordinator().highlightedRowItem(), z.get());
}

TEST_F(OutlineTableTest, WhatTheRowsShowRepaintsThemAndLeavesRowsSelectionAndScrollAlone) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef delta = child(root, "Delta");
    table().expand(indexOf(delta));
    state->select(child(delta, "f3.log"));
    deliver();
    table().layoutNow();
    table().verticalScrollBar()->setValue(60);
    QApplication::processEvents();

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    table().viewport()->installEventFilter(&counter);
    int resets = 0;
    QObject::connect(&model(), &QAbstractItemModel::modelAboutToBeReset, [&] { ++resets; });
    const auto paintsAfter = [&](auto change) {
        QApplication::processEvents();
        counter.paints = 0;
        change();
        QApplication::processEvents();
        return counter.paints;
    };

    EXPECT_EQ(paintsAfter([] {}), 0); // the same wait sees no paint without a change
    EXPECT_GT(paintsAfter([&] { state->setColorMode(ColorMode::byKind); }), 0);
    EXPECT_GT(paintsAfter([&] { state->setTypeFilter(TypeFilter::fileExtension("log")); }), 0);
    EXPECT_GT(paintsAfter([&] { state->addToCollector({child(delta, "f7.log")}); }), 0);
    // A new name for the scanned volume too: the root's row goes by it.
    const QModelIndex rootName = model().index(indexOf(root).row(), name, indexOf(root).parent());
    EXPECT_EQ(model().data(rootName).toString(), "scan");
    EXPECT_GT(paintsAfter([&] { state->volumeRefresh().assignVolumes({volume("/scan", "Backup")}); }), 0);
    EXPECT_EQ(model().data(rootName).toString(), "Backup");
    EXPECT_EQ(resets, 0);
    EXPECT_TRUE(isExpanded(delta));
    EXPECT_EQ(table().verticalScrollBar()->value(), 60);
    ASSERT_EQ(table().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(model().nodeAt(table().selectionModel()->selectedRows().front()), child(delta, "f3.log").get());
}

TEST_F(OutlineTableTest, HeadersSortTheTreeInPlace) {
    NodeRef root = sampleRoot();
    scan(root);
    NodeRef alpha = child(root, "Alpha");
    table().expand(indexOf(alpha));
    auto namesUnderRoot = [&] {
        std::vector<std::string> names;
        for (int i = 0; i < model().rowCount(indexOf(root)); ++i)
            names.emplace_back(model().nodeAt(model().index(i, 0, indexOf(root)))->name());
        return names;
    };
    EXPECT_EQ(namesUnderRoot(), (std::vector<std::string>{"Alpha", "Gamma", "Delta", "z.txt"}));
    header().setSortIndicator(name, Qt::AscendingOrder);
    EXPECT_EQ(coordinator().sort(), (OutlineSort{OutlineSortKey::name, true}));
    EXPECT_EQ(namesUnderRoot(), (std::vector<std::string>{"Alpha", "Delta", "Gamma", "z.txt"}));
    EXPECT_TRUE(isExpanded(alpha));
    // The share column sorts by size.
    header().setSortIndicator(logicalIndex(OutlineColumn::share), Qt::AscendingOrder);
    EXPECT_EQ(coordinator().sort(), (OutlineSort{OutlineSortKey::size, true}));
    EXPECT_EQ(namesUnderRoot(), (std::vector<std::string>{"z.txt", "Delta", "Gamma", "Alpha"}));
}

TEST_F(OutlineTableTest, TheNameColumnFollowsTheWidthAndMakesRoomForShownColumns) {
    scan(sampleRoot());
    const int before = header().sectionSize(name);
    view->resize(view->width() + 60, view->height());
    deliver();
    EXPECT_EQ(header().sectionSize(name), before + 60);
    // Showing a hidden column narrows the name column so that everything fits.
    const int items = logicalIndex(OutlineColumn::items);
    QMenu* menu = coordinator().showHeaderMenu(QPoint(0, 0));
    ASSERT_TRUE(menu);
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[1]->text(), QStringLiteral("% of Folder"));
    EXPECT_TRUE(actions[1]->isChecked());
    EXPECT_FALSE(actions[2]->isChecked());
    actions[2]->trigger();
    menu->close();
    EXPECT_FALSE(header().isSectionHidden(items));
    // It comes at its first width, not squeezed to its minimum while it was hidden.
    EXPECT_EQ(header().sectionSize(items), 64);
    int total = 0;
    for (int i = 0; i < header().count(); ++i)
        if (!header().isSectionHidden(i)) total += header().sectionSize(i);
    EXPECT_LE(total, table().viewport()->width());
    // Narrowing never goes below the name column's minimum.
    view->resize(210, view->height());
    deliver();
    EXPECT_EQ(header().sectionSize(name), 90);
}

TEST_F(OutlineTableTest, TheNameColumnTakesWhatTheOtherColumnsLeaveWhateverWasSaved) {
    auto othersWidth = [this] {
        int total = 0;
        for (int i = 0; i < header().count(); ++i)
            if (i != name && !header().isSectionHidden(i)) total += header().sectionSize(i);
        return total;
    };
    scan(sampleRoot());
    EXPECT_EQ(header().sectionSize(name), table().viewport()->width() - othersWidth());
    // A layout saved while the sidebar was at its narrowest: the name column at its
    // minimum. Shown again at the usual width, the name column fills it anew.
    view->resize(200, view->height()); // the sidebar's narrowest
    deliver();
    ASSERT_EQ(header().sectionSize(name), 90);
    coordinator().saveColumnLayout();
    view.reset();
    makeView(300);
    scan(sampleRoot());
    EXPECT_GT(header().sectionSize(name), 90);
    EXPECT_EQ(header().sectionSize(name), table().viewport()->width() - othersWidth());
    // Hiding a column gives its width to the name column.
    const int share = logicalIndex(OutlineColumn::share);
    const int before = header().sectionSize(name), shareWidth = header().sectionSize(share);
    QMenu* menu = coordinator().showHeaderMenu(QPoint(0, 0));
    ASSERT_TRUE(menu);
    menu->actions()[1]->trigger();  // "% of Folder"
    menu->close();
    EXPECT_TRUE(header().isSectionHidden(share));
    EXPECT_EQ(header().sectionSize(name), before + shareWidth);
}

TEST_F(OutlineTableTest, AWideFolderFindsEveryRowAndRevealsOneFarDownInEitherOrder) {
    // 3,000 files with a few folders among them, one of them holding a file.
    std::vector<NodeRef> entries;
    for (int i = 0; i < 3000; ++i) entries.push_back(file("w" + std::to_string(i) + ".eml", 100000 - i));
    entries.push_back(folder("inbox", {file("deep.eml", 5)}));
    entries.push_back(folder("empty", {}));
    NodeRef root = folder("/mail", std::move(entries));
    view.reset();
    makeView(270);  // the sidebar's first width: the columns' first widths do not fit it
    scan(root);
    ASSERT_EQ(model().rowCount(indexOf(root)), 3002);
    settle();
    EXPECT_EQ(table().verticalScrollBar()->value(), 0) << "the list opens at its top";
    EXPECT_EQ(table().horizontalScrollBar()->value(), 0);
    // Built for a scan before it is on screen (its size not yet its own), the list
    // opens at its top all the same, and a selection far down is centred once shown.
    view = std::make_unique<FileOutlineView>(*state, nullptr, std::chrono::milliseconds(0));
    view->resize(270, 400);
    view->show();
    settle();
    EXPECT_EQ(table().verticalScrollBar()->value(), 0);
    const NodeRef farDown = root->children()[2500];
    state->select(farDown);
    view.reset();
    view = std::make_unique<FileOutlineView>(*state, nullptr, std::chrono::milliseconds(0));
    view->resize(270, 400);
    view->show();
    settle();
    EXPECT_TRUE(table().viewport()->rect().contains(table().visualRect(indexOf(farDown))));
    EXPECT_EQ(table().horizontalScrollBar()->value(), 0);
    state->select(root);
    settle();

    for (int pass = 0; pass < 2; ++pass) {
        const QModelIndex top = indexOf(root);
        for (int row : {0, 1, 1500, 2999, 3000, 3001}) {
            const QModelIndex index = model().index(row, 0, top);
            FileNode* node = model().nodeAt(index);
            ASSERT_TRUE(node) << row;
            EXPECT_EQ(model().indexOf(node), index) << row;
            EXPECT_EQ(model().parent(index), top);
            EXPECT_EQ(model().hasChildren(index), node->name() == "inbox") << node->name();
            EXPECT_EQ(model().nodeAt(model().index(row, 2, top)), node);
        }
        // A row far down is revealed: its folder opened, scrolled to, selected.
        const NodeRef deep = child(child(root, "inbox"), "deep.eml");
        state->select(deep);
        settle();
        const QModelIndex deepIndex = indexOf(deep);
        ASSERT_TRUE(deepIndex.isValid());
        EXPECT_EQ(model().parent(deepIndex), indexOf(child(root, "inbox")));
        EXPECT_EQ(model().parent(model().parent(deepIndex)), top);
        EXPECT_TRUE(table().viewport()->rect().contains(table().visualRect(deepIndex)));
        EXPECT_EQ(table().selectionModel()->selectedRows(), QModelIndexList{deepIndex});
        state->select(root);
        settle();
        // Again in an order of the table's own.
        header().setSortIndicator(name, Qt::AscendingOrder);
    }
    EXPECT_EQ(model().nodeAt(model().index(0, 0, indexOf(root)))->name(), "empty");
}

// The names of the rows under `parent`, first to last.
std::vector<std::string> rowNames(OutlineItemModel& model, const QModelIndex& parent) {
    std::vector<std::string> names;
    for (int i = 0; i < model.rowCount(parent); ++i) names.emplace_back(model.nodeAt(model.index(i, 0, parent))->name());
    return names;
}

std::vector<std::string> namesInOrder(const NodeRef& folder, const OutlineSort& sort) {
    const LocaleNameCollation english(QLocale(QLocale::English, QLocale::UnitedStates));
    std::vector<std::string> names;
    for (const NodeRef& n : sort.sortedChildren(*folder, english)) names.emplace_back(n->name());
    return names;
}

TEST_F(OutlineTableTest, AWideFolderIsSortedInTheBackgroundAndKeepsItsRowsUntilItsOrderComes) {
    std::vector<NodeRef> entries;
    const std::size_t count = OutlineTableCoordinator::kBackgroundSortMinimum + 100;
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back(file((i % 3 ? "Mail " : "mail ") + std::to_string(i % 1000) + ".eml", 1 + static_cast<int>(i % 7)));
    NodeRef wide = folder("Inbox", std::move(entries));
    NodeRef root = folder("/mail", {wide, folder("Small", {file("b", 1), file("A", 1)}), file("z.txt", 5)});
    scan(root);
    const NodeRef selected = wide->children()[3000];
    state->select(selected);
    settle();
    ASSERT_TRUE(isExpanded(wide));
    const std::vector<std::string> stored = rowNames(model(), indexOf(wide));

    // The header shows the new order at once; the rows keep theirs until it is found.
    header().setSortIndicator(name, Qt::AscendingOrder);
    const OutlineSort byName{OutlineSortKey::name, true};
    EXPECT_EQ(coordinator().sort(), byName);
    ASSERT_TRUE(coordinator().isSortPending());
    EXPECT_EQ(rowNames(model(), indexOf(wide)), stored);
    runUserJobs();
    EXPECT_FALSE(coordinator().isSortPending());
    EXPECT_EQ(rowNames(model(), indexOf(wide)), namesInOrder(wide, byName));
    EXPECT_EQ(rowNames(model(), indexOf(root)), (std::vector<std::string>{"Inbox", "Small", "z.txt"}));
    EXPECT_TRUE(isExpanded(wide));
    EXPECT_EQ(table().selectionModel()->selectedRows(), QModelIndexList{indexOf(selected)});

    // The tree changes after an order was found but before it came back: that order
    // is dropped and one found for the tree as it is.
    header().setSortIndicator(name, Qt::DescendingOrder);
    ASSERT_TRUE(coordinator().isSortPending());
    userInitiated->runAll();
    const NodeRef removed = wide->children()[0];
    state->results().editTree([&] { wide->removeChildAt(0); });
    deliver();
    EXPECT_EQ(rowNames(model(), indexOf(wide)), namesInOrder(wide, byName)) << "the rows keep the order they show";
    ASSERT_TRUE(coordinator().isSortPending()) << "found again for the tree as it is";
    runUserJobs();
    EXPECT_FALSE(coordinator().isSortPending());
    const OutlineSort byNameDescending{OutlineSortKey::name, false};
    EXPECT_EQ(rowNames(model(), indexOf(wide)), namesInOrder(wide, byNameDescending));
    EXPECT_FALSE(indexOf(removed).isValid());

    // A sort superseded before its order comes leaves no trace.
    header().setSortIndicator(logicalIndex(OutlineColumn::modified), Qt::DescendingOrder);
    ASSERT_TRUE(coordinator().isSortPending());
    header().setSortIndicator(logicalIndex(OutlineColumn::size), Qt::DescendingOrder);
    EXPECT_FALSE(coordinator().isSortPending());
    runUserJobs();
    EXPECT_EQ(coordinator().sort(), OutlineSort{});
    EXPECT_EQ(rowNames(model(), indexOf(wide)), namesInOrder(wide, OutlineSort{}));
    EXPECT_TRUE(isExpanded(wide));
}

TEST_F(OutlineTableTest, RowsOfAVeryWideFolderLetTheirNodesGoOnceTheEventLoopTurns) {
    std::vector<NodeRef> entries;
    for (int i = 0; i < 21000; ++i) entries.push_back(file("m" + std::to_string(i), 1 + i % 5));
    NodeRef wide = folder("Wide", std::move(entries));
    NodeRef root = folder("/w", {wide});
    scan(root);
    table().expand(indexOf(wide));
    const FileNode* sample = wide->children()[100].get();
    const std::uint32_t held = sample->refCount();
    header().setSortIndicator(name, Qt::AscendingOrder);
    runUserJobs();
    ASSERT_FALSE(coordinator().isSortPending());
    EXPECT_GT(sample->refCount(), held) << "the rows list the folder in an order of their own";
    header().setSortIndicator(logicalIndex(OutlineColumn::size), Qt::DescendingOrder);
    deliver();
    EXPECT_EQ(sample->refCount(), held);
    EXPECT_TRUE(isExpanded(wide));
}

// Ticks `title` in the header's menu.
void tickColumn(OutlineTableCoordinator& coordinator, const QString& title) {
    QMenu* menu = coordinator.showHeaderMenu(QPoint(0, 0));
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions())
        if (action->text() == title && !action->isChecked()) action->trigger();
    menu->close();
}

int shownColumnsWidth(const QHeaderView& header) {
    int total = 0;
    for (int i = 0; i < header.count(); ++i)
        if (!header.isSectionHidden(i)) total += header.sectionSize(i);
    return total;
}

TEST_F(OutlineTableTest, WithEveryColumnShownTheListScrollsSidewaysButNeverOpensOrRevealsSideways) {
    view.reset();
    makeView(270, 300);  // the sidebar's first width
    NodeRef first = sampleRoot();
    scan(first);
    table().expand(indexOf(child(first, "Delta")));
    settle();
    EXPECT_EQ(table().verticalScrollBar()->value(), 0);
    tickColumn(coordinator(), QStringLiteral("Items"));
    tickColumn(coordinator(), QStringLiteral("Modified"));
    settle();
    deliver();  // the scrollbar is shown once its range is known
    EXPECT_EQ(table().verticalScrollBar()->value(), 0) << "opened scrolled down";
    // The name column gives way down to its minimum; the rest reaches past the
    // sidebar, and a scrollbar says so.
    EXPECT_EQ(header().sectionSize(name), 90);
    QScrollBar* sideways = table().horizontalScrollBar();
    ASSERT_GT(shownColumnsWidth(header()), table().viewport()->width());
    EXPECT_TRUE(sideways->isVisible());
    EXPECT_EQ(sideways->maximum(), shownColumnsWidth(header()) - table().viewport()->width());
    EXPECT_EQ(sideways->value(), 0);
    EXPECT_EQ(header().sectionViewportPosition(name), 0);

    // Revealing a row far down scrolls down only.
    const NodeRef delta = first->children()[2];
    ASSERT_EQ(delta->name(), "Delta");
    const NodeRef last = delta->children().back();
    state->select(last);
    settle();
    EXPECT_GT(table().verticalScrollBar()->value(), 0);
    EXPECT_TRUE(table().viewport()->rect().contains(table().visualRect(indexOf(last))));
    EXPECT_EQ(sideways->value(), 0);
    EXPECT_EQ(header().offset(), 0);
    // Scrolled sideways by the user, a reveal leaves it there.
    sideways->setValue(40);
    state->select(first->children()[0]);
    settle();
    EXPECT_EQ(sideways->value(), 40);

    // The next scan's list opens at its start.
    scan(sampleRoot());
    EXPECT_EQ(sideways->value(), 0);
    EXPECT_EQ(header().offset(), 0);
    EXPECT_EQ(table().verticalScrollBar()->value(), 0);
}

TEST_F(OutlineTableTest, ASavedLayoutTooWideForTheSidebarIsFittedToItOnRestore) {
    const int size = logicalIndex(OutlineColumn::size), share = logicalIndex(OutlineColumn::share);
    scan(sampleRoot());
    header().resizeSection(size, 300);
    header().resizeSection(share, 70);
    coordinator().saveColumnLayout();
    view.reset();
    makeView(270);
    scan(sampleRoot());
    // What the columns were widened by is given back until they fit, from the last one;
    // the share column, back at its first width, then gives its bar's room to the name.
    EXPECT_EQ(header().sectionSize(share), outlineColumn(OutlineColumn::share).minimumWidth);
    EXPECT_GE(header().sectionSize(size), 68);
    EXPECT_GE(header().sectionSize(name), 90);
    EXPECT_EQ(shownColumnsWidth(header()), table().viewport()->width());
    EXPECT_FALSE(table().horizontalScrollBar()->isVisible());
    EXPECT_EQ(table().horizontalScrollBar()->value(), 0);

    // A widened layout that fits stays as it was saved.
    header().resizeSection(size, 100);
    coordinator().saveColumnLayout();
    view.reset();
    makeView(270);
    scan(sampleRoot());
    EXPECT_EQ(header().sectionSize(size), 100);
    EXPECT_EQ(shownColumnsWidth(header()), table().viewport()->width());
    // What the narrow sidebar pressed the share column to is not what is saved.
    coordinator().saveColumnLayout();
    view.reset();
    makeView(500);
    scan(sampleRoot());
    EXPECT_EQ(header().sectionSize(share), outlineColumn(OutlineColumn::share).width);
    EXPECT_EQ(header().sectionSize(size), 100);
}

TEST_F(OutlineTableTest, ADeepFolderKeepsTheSizesInViewAndItsNamesGiveWay) {
    // /srv ─ level1 ─ … ─ level40 ─ deep.bin, beside a folder that is never opened.
    NodeRef chain = folder("level40", {file("deep.bin", 900)});
    for (int level = 39; level >= 1; --level) chain = folder("level" + std::to_string(level), {chain});
    NodeRef root = folder("/srv", {chain, folder("other", {file("o.bin", 10)})});
    view.reset();
    makeView(270, 400);  // the sidebar's first width
    scan(root);
    settle();
    ASSERT_EQ(shownColumnsWidth(header()), table().viewport()->width());

    NodeRef deepest = chain;
    while (!deepest->children().empty()) deepest = deepest->children().front();
    state->select(deepest);
    settle();
    deliver();
    // The columns still fit the sidebar (beside the scroll bar that the opened rows need).
    EXPECT_EQ(shownColumnsWidth(header()), table().viewport()->width());
    EXPECT_EQ(table().horizontalScrollBar()->maximum(), 0);
    const int left = header().sectionViewportPosition(name), right = left + header().sectionSize(name);
    for (const FileNode* node = deepest.get(); node; node = node->parent()) {
        const QModelIndex index = model().indexOf(node);
        ASSERT_TRUE(index.isValid()) << node->name();
        // The name stays inside its column, or has no room at all; the size and the
        // share show whole in the view.
        const QRect cell = table().visualRect(index);
        if (cell.width() > 0) {
            EXPECT_LE(cell.right() + 1, right) << node->name();
        }
        for (OutlineColumn column : {OutlineColumn::size, OutlineColumn::share}) {
            const QRect other = table().visualRect(index.siblingAtColumn(logicalIndex(column)));
            EXPECT_GE(other.left(), 0) << node->name();
            EXPECT_LE(other.right(), table().viewport()->width() - 1) << node->name();
        }
    }
}

TEST_F(OutlineTableTest, MinimisingTheWindowLetsARunningWalkFinish) {
    NodeRef root = sampleRoot();
    scan(root);
    view->viewModel().setMode(OutlineMode::largest);
    deliver();
    ASSERT_GT(userInitiated->pendingCount(), 0u);
    view->showMinimized();
    deliver();
    settle();
    ASSERT_TRUE(view->viewModel().model().largest());
    EXPECT_EQ(view->viewModel().model().largest()->nodes.front()->name(), "x.bin");
    // Closed for good, the sidebar stops its walks.
    view->showNormal();
    deliver();
    view->hide();
    state->navigate(child(root, "Alpha"));
    deliver();
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
}

} // namespace
} // namespace plenwick::test
