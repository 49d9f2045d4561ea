// The treemap view offscreen: what it shows, what the pointer does, and a few pixels
// of the outline layer.
#include "TreemapFixture.h"
#include "common/DuringNotification.h"

#include "chartviews/TreemapHighlightOverlay.h"
#include "chartviews/TreemapStatusBar.h"
#include "chartviews/TreemapView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;

namespace {

class TreemapViewTest : public TreemapTest {
protected:
    void SetUp() override {
        TreemapTest::SetUp();
        view = std::make_unique<TreemapView>(*state, nullptr, &clock);
        model = &view->model();
        // The chart gets 400 × 300 points above the hairline and the 26-point bar.
        view->resize(400, 300 + 1 + TreemapStatusBar::kHeight);
        view->show();
        QApplication::processEvents();
        settle();
    }
    void TearDown() override {
        view.reset();
        TreemapTest::TearDown();
    }

    QWidget* chart() const { return view->chart(); }
    void move(QPointF at) {
        QMouseEvent event(QEvent::MouseMove, at, chart()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart(), &event);
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(chart(), &event);
    }
    // What a double click delivers: press, release, double click, release.
    void doubleClick(QPointF at) {
        QTest::mouseClick(chart(), Qt::LeftButton, {}, at.toPoint());
        QTest::mouseDClick(chart(), Qt::LeftButton, {}, at.toPoint());
        QTest::mouseRelease(chart(), Qt::LeftButton, {}, at.toPoint());
    }
    QImage picture() const { return chart()->grab().toImage(); }
    QColor pixel(const QImage& image, QPointF at) const { return image.pixelColor(at.toPoint()); }

    std::unique_ptr<TreemapView> view;
};

} // namespace

TEST_F(TreemapViewTest, ShowsTheFocusAndStandsInWhenThereIsNothing) {
    EXPECT_FALSE(view->isShowingEmptyState());
    EXPECT_EQ(chart()->size(), QSize(400, 300));
    EXPECT_EQ(model->renderedKey(), key());
    EXPECT_EQ(chart()->accessibleName(), QStringLiteral("Treemap of scan"));
    // The picture is on screen: the middle of a cell is not the grey ground.
    EXPECT_NE(pixel(picture(), centreOf(top.get())), QColor::fromRgbF(0.12f, 0.12f, 0.12f));

    state->finishScan(folder("/zero", {}, 0), {});
    QApplication::processEvents();
    ASSERT_TRUE(view->isShowingEmptyState());
    EXPECT_EQ(view->emptyState()->title, QStringLiteral("Empty Folder"));
    EXPECT_EQ(view->emptyState()->description, QStringLiteral("zero doesn’t take up any space."));

    state->scanRun().reset();
    QApplication::processEvents();
    EXPECT_EQ(view->emptyState()->title, QStringLiteral("Nothing Scanned"));
    EXPECT_EQ(view->emptyState()->description, QStringLiteral("Choose a disk or folder to see its treemap."));
}

TEST_F(TreemapViewTest, AResizeShowsTheOldPictureStretchedUntilTheNewOne) {
    const QImage before = model->image();
    view->resize(600, 300 + 1 + TreemapStatusBar::kHeight);
    QApplication::processEvents();
    EXPECT_EQ(chart()->width(), 600);
    EXPECT_EQ(model->image().cacheKey(), before.cacheKey());
    // The stretched picture covers the whole chart, the right edge included.
    EXPECT_NE(pixel(picture(), QPointF(595, 150)), QColor::fromRgbF(0.12f, 0.12f, 0.12f));
    clock.advance(TreemapModel::resizePause);
    settle();
    EXPECT_EQ(model->renderedKey(), key(600, 300));
    EXPECT_EQ(model->image().size(), QSize(600, 300));
}

TEST_F(TreemapViewTest, PointerHoversSelectsAndZooms) {
    move(centreOf(a.get()));
    EXPECT_EQ(state->hovered(), a);
    ASSERT_TRUE(view->statusBar()->info());
    EXPECT_EQ(view->statusBar()->info()->title, QStringLiteral("/scan/big/deep/a.png"));
    leave();
    EXPECT_FALSE(state->hovered());
    EXPECT_EQ(view->statusBar()->info()->title, QStringLiteral("scan"));

    QTest::mouseClick(chart(), Qt::LeftButton, {}, centreOf(top.get()).toPoint());
    EXPECT_EQ(state->selection(), top);
    // A rest cell selects its folder.
    QTest::mouseClick(chart(), Qt::LeftButton, {}, centreOfRest(many.get()).toPoint());
    EXPECT_EQ(state->selection(), many);

    // A double click on a top-level file or on the focus's rest cell selects, but
    // does not zoom.
    doubleClick(centreOf(top.get()));
    EXPECT_EQ(state->focus(), root);
    doubleClick(centreOfRest(root.get()));
    EXPECT_EQ(state->focus(), root);
    EXPECT_EQ(state->selection(), root);

    // Deep inside a top-level folder it zooms into that folder.
    doubleClick(centreOf(a.get()));
    EXPECT_EQ(state->focus(), big);
    EXPECT_EQ(state->selection(), a);
    settle();
    EXPECT_EQ(model->layout()->nodes[0], big);
    EXPECT_EQ(chart()->accessibleName(), QStringLiteral("Treemap of big"));
}

TEST_F(TreemapViewTest, MenuAndDragUseTheLastHoveredItemWhileItIsInTheTree) {
    std::vector<std::pair<NodeRef, NodeRef>> asked;
    QObject::connect(view.get(), &TreemapView::contextMenuRequested,
                     [&](NodeRef node, NodeRef folder, QPoint) { asked.emplace_back(node, folder); });
    auto contextMenu = [&](QPointF at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at.toPoint(), chart()->mapToGlobal(at.toPoint()));
        QApplication::sendEvent(chart(), &event);
    };

    move(centreOf(a.get()));
    leave(); // the subjects outlive the hover
    contextMenu(centreOf(a.get()));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, a);
    EXPECT_EQ(asked[0].second, deep);
    EXPECT_EQ(view->dragPaths(), std::vector<std::string>{"/scan/big/deep/a.png"});

    // Over a rest cell only the folder is offered, and nothing is dragged.
    move(centreOfRest(many.get()));
    contextMenu(centreOfRest(many.get()));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_FALSE(asked[1].first);
    EXPECT_EQ(asked[1].second, many);
    EXPECT_TRUE(view->dragPaths().empty());

    // Once the tree is replaced, the old items are offered no more.
    move(centreOf(top.get()));
    state->finishScan(folder("/other", {file("x", 10)}), {});
    contextMenu(QPointF(10, 10));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(view->dragPaths().empty());

    // The scan's root is never dragged out.
    state->finishScan(file("/solo.bin", 10), {});
    settle();
    move(QPointF(200, 150));
    EXPECT_EQ(view->menuNode(), state->root());
    EXPECT_TRUE(view->dragPaths().empty());
}

TEST_F(TreemapViewTest, OutlinesAreDrawnOverThePicture) {
    // a's cell starts at the chart's top-left corner.
    const QPointF middle = centreOf(a.get());
    ASSERT_EQ(model->layout()->cells[static_cast<std::size_t>(*model->layout()->cellIndexOfNode(a.get()))].rect.x0, 0);
    const QImage plain = picture();

    move(middle);
    const QImage hovered = picture();
    // A white edge, and a light wash inside.
    const QColor edge = pixel(hovered, QPointF(0, middle.y()));
    EXPECT_GT(edge.red(), 225);
    EXPECT_GT(edge.green(), 225);
    EXPECT_GT(pixel(hovered, middle).lightness(), pixel(plain, middle).lightness());

    // Selected: a dark line along the edge with a white one inside it; the hover
    // moved elsewhere and the root cell under no outline.
    state->select(a);
    move(centreOf(top.get()));
    const QImage selected = picture();
    EXPECT_LT(pixel(selected, QPointF(0, middle.y())).lightness(), 90);
    EXPECT_GT(pixel(selected, QPointF(2, middle.y())).lightness(), 220);
    EXPECT_EQ(view->overlay()->highlight().selection, model->layout()->cellIndexOfNode(a.get()));
}

// A widget shown over the resting pointer from inside the state's notification (a
// screen switch, the inspector) sends the chart a Leave right then: the hover it ends
// reaches the state after the notification, never from inside it.
TEST_F(TreemapViewTest, ALeaveCausedByTheStatesOwnChangeReportsAfterTheNotification) {
    restPointer(chart(), centreOf(a.get()).toPoint());
    ASSERT_EQ(state->hovered(), a);
    QWidget* cover = coverDuringNextNotification(*state, view.get());
    state->select(top);
    EXPECT_EQ(state->hovered(), a);
    QApplication::processEvents();
    EXPECT_FALSE(state->hovered());
    // With nothing notifying, the pointer's reports stay immediate.
    cover->hide();
    move(centreOf(top.get()));
    EXPECT_EQ(state->hovered(), top);
}
