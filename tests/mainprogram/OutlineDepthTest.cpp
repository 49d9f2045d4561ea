// The outline in the real window with a folder forty levels deep opened: the sizes
// and shares stay in view at either window size, the deep names give way, and Left
// closes an open row before it goes to the parent.
#include "ResultsWindowFixture.h"

#include "outline/FileOutlineView.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineTableView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTest>

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

INSTANTIATE_TEST_SUITE_P(WindowSizes, OutlineDepth, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test
