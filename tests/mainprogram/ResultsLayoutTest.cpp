// How the results screen shares the window: the sidebar gives way before the chart,
// the inspector's details show whole before the file types, which get the room left
// before the disk-usage card, and no button shows cut.
#include "ResultsWindowFixture.h"

#include "results/FileTypesView.h"
#include "results/InspectorSplitter.h"
#include "results/InspectorView.h"
#include "results/ShellDiskUsageSummary.h"
#include "results/ShellInspectorDetails.h"
#include "shell/ShellCardBackground.h"

#include <QAbstractButton>
#include <QLayout>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace plenwick::test {
namespace {

class ResultsLayout : public ResultsWindowTest {
protected:
    // A scan of eight kinds of file, with folders two deep.
    void scanKinds() {
        scan(makeFiles({{"a.txt", 10},
                        {"names/b.txt", 100},
                        {"names/sub/c.txt", 100},
                        {"media/x.jpg", 1},
                        {"media/y.mp3", 1},
                        {"media/v.mp4", 1},
                        {"z.zip", 1},
                        {"q.cpp", 1},
                        {"r.iso", 1},
                        {"s.bin", 1}}));
    }
    InspectorView& inspector() { return *qobject_cast<InspectorView*>(results()->inspector()); }
    // Where `widget` lies in the upper part's visible area.
    QRect inUpperView(const QWidget* widget) {
        QWidget* view = inspector().upperPart()->viewport();
        return QRect(widget->mapTo(view, QPoint(0, 0)), widget->size());
    }
    // The card as drawn, without the room of its shadow.
    QRect cardInUpperView() { return inUpperView(inspector().diskUsage()).marginsRemoved(ShellCard::shadowRoom()); }
};

TEST_F(ResultsLayout, ANarrowWindowNarrowsTheSidebarBeforeTheChartAndKeepsItsStoredWidth) {
    const int stored = 420;
    ResultsView::sidebarWidth().store(state().preferences(), stored);
    resizeWindow({1280, 820});
    scanKinds();
    ASSERT_NE(results(), nullptr);
    EXPECT_EQ(results()->sidebar()->width(), stored);

    resizeWindow({960, 620});
    EXPECT_LT(results()->sidebar()->width(), stored);
    EXPECT_GE(results()->sidebar()->width(), ResultsView::kSidebarMinimum);
    EXPECT_GE(results()->chart()->width(), ResultsView::kChartRoom);
    EXPECT_EQ(ResultsView::sidebarWidth().displayed(state().preferences()), stored) << "the window's doing is not stored";

    // A wide inspector narrows the sidebar down to its minimum, then the chart.
    for (int step = 0; step < 8; ++step) results()->detailSplitter()->inspectorHandle()->adjust(true);
    settle();
    EXPECT_EQ(results()->sidebar()->width(), ResultsView::kSidebarMinimum);
    EXPECT_EQ(results()->inspectorColumn()->width(), 420);
    EXPECT_GT(results()->chart()->width(), 300);

    resizeWindow({1280, 820});
    EXPECT_EQ(results()->sidebar()->width(), stored) << "the sidebar's own width comes back";
}

TEST_F(ResultsLayout, NoButtonOfTheInspectorShowsCutAtEitherSize) {
    scanKinds();
    for (const QSize size : {QSize(1280, 820), QSize(960, 620)}) {
        resizeWindow(size);
        for (const std::string& relative : {std::string(), std::string("a.txt"), std::string("names"),
                                            std::string("names/sub"), std::string("names/sub/c.txt")}) {
            state().select(relative.empty() ? NodeRef() : node(relative));
            settle();
            const QRect view = inspector().upperPart()->viewport()->rect();
            for (const QAbstractButton* button : inspector().details()->findChildren<QAbstractButton*>()) {
                if (!button->isVisibleTo(&inspector())) continue;
                const QRect at = inUpperView(button);
                EXPECT_TRUE(view.contains(at) || !view.intersects(at))
                    << size.width() << "×" << size.height() << " " << relative << ": "
                    << button->accessibleName().toStdString() << " at " << at.y() << "–" << at.bottom()
                    << " in a view " << view.height() << " high";
                EXPECT_GE(at.left(), 0);
                EXPECT_LE(at.right(), view.right());
            }
        }
    }
}

class ResultsLayoutAtSize : public ResultsLayout, public ::testing::WithParamInterface<QSize> {};

TEST_P(ResultsLayoutAtSize, TheFileTypesGetTheRoomTheDetailsLeaveBeforeTheCard) {
    resizeWindow(GetParam());
    scanKinds();
    ASSERT_TRUE(inspector().diskUsage()->isVisible());
    QListView* list = inspector().fileTypes()->list();
    const int rowHeight = list->sizeHintForRow(0);
    for (const std::string& relative : {std::string(), std::string("a.txt"), std::string("names/sub")}) {
        state().select(relative.empty() ? NodeRef() : node(relative));
        settle();
        const QRect view = inspector().upperPart()->viewport()->rect();
        const QRect trash = inUpperView(inspector().details()->trashButton());
        if (view.contains(trash)) {
            // The details show whole, down to the trash button, and no more of the
            // upper part: the rows, wanting more than is left, get all the rest, and
            // the card waits below for a scroll.
            EXPECT_LE(inspector().upperPart()->height(), trash.bottom() + 1 + InspectorView::kInset) << relative;
            EXPECT_FALSE(view.intersects(cardInUpperView())) << relative;
            EXPECT_TRUE(inspector().upperPart()->verticalScrollBar()->isVisible()) << relative;
        } else {
            // Where they cannot, the file types keep their least room.
            EXPECT_GE(inspector().lowerPart()->height(), InspectorView::kMinimumBottomHeight) << relative;
        }
        // The list reaches down to the column's bottom: the room left is the list's,
        // not a few rows' worth.
        const QWidget* column = &inspector();
        EXPECT_EQ(inspector().lowerPart()->geometry().bottom(), column->height() - 1) << relative;
        const QPoint listBottom = list->viewport()->mapTo(column, QPoint(0, list->viewport()->height()));
        EXPECT_GE(listBottom.y(), column->height() - rowHeight) << relative;
        EXPECT_EQ(inspector().upperPart()->geometry().bottom() + 1, inspector().lowerPart()->geometry().top())
            << relative;
        if (GetParam().height() >= 820) EXPECT_GE(list->viewport()->height(), 4 * rowHeight) << relative;
        else EXPECT_GE(list->viewport()->height(), 2 * rowHeight) << relative;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, ResultsLayoutAtSize, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

TEST_F(ResultsLayout, AtTheSmallestSizeTheFileTypesShowTwoRowsHoweverTallTheirControls) {
    // A desktop font taller than the tests' makes the heading and the controls above
    // the rows taller; the rows keep room for two all the same.
    resizeWindow({960, 620});
    scanKinds();
    FileTypesView& types = *inspector().fileTypes();
    QWidget* picker = types.segmentButton(FileTypesSegment::kinds)->parentWidget();
    picker->setMinimumHeight(picker->sizeHint().height() + 14);
    QListView* list = types.list();
    for (const std::string& relative : {std::string("names"), std::string("names/sub"), std::string("a.txt")}) {
        state().select(node(relative));
        settle();
        EXPECT_GE(list->viewport()->height(), 2 * list->sizeHintForRow(0)) << relative;
        EXPECT_EQ(inspector().lowerPart()->geometry().bottom(), inspector().height() - 1) << relative;
    }
}

TEST_F(ResultsLayout, TheCardShowsWholeWhereTheFileTypesLeaveRoom) {
    resizeWindow({1280, 820});
    scan(makeFiles({{"a.txt", 10}, {"b.txt", 10}}));
    state().select(node("a.txt"));
    settle();
    QListView* list = inspector().fileTypes()->list();
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_GE(list->viewport()->height(), list->sizeHintForRow(0));
    EXPECT_TRUE(inspector().upperPart()->viewport()->rect().contains(cardInUpperView()));
    EXPECT_FALSE(inspector().upperPart()->verticalScrollBar()->isVisible());
}

} // namespace
} // namespace plenwick::test
