// The outline in the real window with a folder forty levels deep opened: the sizes
// and shares stay in view at either window size, the deep names give way, and Left
// closes an open row before it goes to the parent.
#include "ResultsWindowFixture.h"

#include "outline/FileOutlineView.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineTableView.h"
#include "shell/ShellStyle.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTest>

#include <cstdio>

namespace plenwick::test {
namespace {

class OutlineDepth : public ResultsWindowTest, public ::testing::WithParamInterface<QSize> {
protected:
    OutlineTableView& table() {
        return static_cast<FileOutlineView*>(results()->sidebar())->coordinator().view();
    }
};

TEST_P(OutlineDepth, SizesStayInViewAndLeftClosesBeforeItLeaves) {
    std::string chain;
    for (int level = 1; level <= 40; ++level) chain += "level " + std::to_string(level) + "/";
    resizeWindow(GetParam());
    scan(makeFiles({{chain + "deep.bin", 9000}, {"top.txt", 10}}));
    state().select(node(chain + "deep.bin"));
    settle();

    OutlineTableView& view = table();
    QHeaderView& header = *view.header();
    const QRect shown = view.viewport()->rect();
    for (OutlineColumn column : {OutlineColumn::size, OutlineColumn::share}) {
        const int logical = logicalIndex(column);
        const int left = header.sectionViewportPosition(logical);
        EXPECT_GE(left, 0);
        EXPECT_LE(left + header.sectionSize(logical), shown.width()) << "a column pushed out of the sidebar";
    }
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    const QModelIndexList rows = view.selectionModel()->selectedRows(logicalIndex(OutlineColumn::size));
    ASSERT_EQ(rows.size(), 1);
    const QModelIndex selected = rows.front();
    EXPECT_TRUE(shown.contains(view.visualRect(selected))) << "the selected row's size is in view";

    // Left on the open folder that holds the file: it closes and stays selected.
    const NodeRef folder = node(chain.substr(0, chain.size() - 1));
    state().select(folder);
    settle();
    const QModelIndex row = static_cast<OutlineItemModel*>(view.model())->indexOf(folder.get());
    ASSERT_TRUE(view.isExpanded(row));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_FALSE(view.isExpanded(row));
    EXPECT_EQ(state().selection(), folder);
    settle();
    // Its parent is indented past the name column: the key selects it all the same.
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(state().selection().get(), folder->parent());
}

TEST_P(OutlineDepth, ShortNamesShowWholeAndTheDeepChainStillShowsItsDepth) {
    // A wide folder of eleven-character names beside a chain forty folders deep, in a
    // sidebar of its first width.
    std::vector<std::pair<std::string, std::size_t>> files;
    for (int i = 1; i <= 300; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%06d.txt", i);
        files.push_back({std::string("wide/") + name, 10});
    }
    std::string chain;
    for (int level = 1; level <= 40; ++level) chain += "level " + std::to_string(level) + "/";
    files.push_back({chain + "deep.bin", 90000});
    resizeWindow(GetParam());
    scan(makeFiles(files));
    ASSERT_EQ(results()->sidebar()->width(), ResultsView::kSidebarIdeal);
    state().select(node(chain + "deep.bin"));
    settle();

    OutlineTableView& view = table();
    QHeaderView& header = *view.header();
    // The share column gave its bar's room to the name column; the sizes keep theirs,
    // and everything still shows.
    EXPECT_EQ(header.sectionSize(logicalIndex(OutlineColumn::share)), outlineColumn(OutlineColumn::share).minimumWidth);
    EXPECT_EQ(header.sectionSize(logicalIndex(OutlineColumn::size)), outlineColumn(OutlineColumn::size).width);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    int shown = 0;
    for (int i = 0; i < header.count(); ++i)
        if (!header.isSectionHidden(i)) shown += header.sectionSize(i);
    EXPECT_EQ(shown, view.viewport()->width());
    // Room for a name: the cell after its indentation, less the icon and the margins;
    // a deep row's at the column's end.
    const auto roomOf = [&](const FileNode* node) {
        const QModelIndex index = static_cast<OutlineItemModel*>(view.model())->indexOf(node);
        const int cell = view.visualRect(index).width();
        return (cell >= view.nameRoom() ? cell : view.nameRoom()) - (2 + 16 + 6) - 2;
    };
    const QFontMetrics names(shellFont(ShellTextStyle::body));
    const NodeRef wide = node("wide");
    view.expand(static_cast<OutlineItemModel*>(view.model())->indexOf(wide.get()));
    settle();
    EXPECT_GE(roomOf(wide->children().front().get()), names.horizontalAdvance(QStringLiteral("f000001.txt")));
    // Every folder of the chain shows its name; the first levels each indent further.
    int lastLeft = -1, indented = 0;
    for (int level = 1; level <= 40; ++level) {
        std::string path;
        for (int l = 1; l <= level; ++l) path += (l > 1 ? "/" : "") + std::string("level ") + std::to_string(l);
        const NodeRef folder = node(path);
        ASSERT_TRUE(folder) << path;
        EXPECT_GE(roomOf(folder.get()), names.horizontalAdvance(QString::fromUtf8(folder->name().data(), static_cast<qsizetype>(folder->name().size())))) << path;
        const QRect cell = view.visualRect(static_cast<OutlineItemModel*>(view.model())->indexOf(folder.get()));
        if (cell.width() >= view.nameRoom() && cell.left() > lastLeft) ++indented;
        lastLeft = cell.left();
    }
    EXPECT_GE(indented, 4) << "the chain's first levels show their depth";
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, OutlineDepth, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test
