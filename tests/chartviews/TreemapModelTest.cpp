// The treemap model against a manual executor and a manual clock: when it renders,
// what it drops, and its answers to the pointer.
#include "TreemapFixture.h"

#include <QSignalSpy>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;

TEST_F(TreemapTest, RendersOncePerKey) {
    makeModel();
    const TreemapRenderKey k = key();
    model->refresh(k);
    model->refresh(k); // the refresh for this key is already running
    runLayout();
    EXPECT_EQ(user->pendingCount(), 1u);
    runRenders();
    ASSERT_TRUE(model->layout());
    ASSERT_FALSE(model->image().isNull());
    EXPECT_EQ(model->renderedKey(), k);
    EXPECT_FALSE(model->isRefreshing());
    EXPECT_EQ(model->image().size(), QSize(400, 300));

    // The same key again costs nothing: no layout, no shading.
    QSignalSpy layouts(model, &TreemapModel::layoutChanged);
    model->refresh(k);
    EXPECT_FALSE(model->isRefreshing());
    EXPECT_EQ(user->pendingCount(), 0u);
    EXPECT_EQ(layouts.count(), 0);
}

TEST_F(TreemapTest, ResizesRenderOnceAfterThePause) {
    makeModel();
    model->refresh(key(400, 300)); // the first picture starts without a pause
    settle();
    const QImage first = model->image();

    for (double width : {410.0, 420.0, 430.0}) {
        model->refresh(key(width, 300));
        clock.advance(50ms); // each change comes before the pause is over
        QCoreApplication::processEvents();
        EXPECT_EQ(user->pendingCount(), 0u);
    }
    // Meanwhile the old picture stays.
    EXPECT_EQ(model->image().cacheKey(), first.cacheKey());
    EXPECT_EQ(model->renderedKey(), key(400, 300));

    clock.advance(49ms);
    QCoreApplication::processEvents();
    EXPECT_EQ(user->pendingCount(), 0u);
    clock.advance(1ms);
    runLayout();
    EXPECT_EQ(user->pendingCount(), 1u);
    runRenders();
    EXPECT_EQ(model->renderedKey(), key(430, 300));
    EXPECT_EQ(model->image().size(), QSize(430, 300));

    // At a scale of 2 the picture has twice the pixels and says so.
    model->refresh(key(430, 300, 2));
    clock.advance(TreemapModel::resizePause);
    settle();
    EXPECT_EQ(model->image().size(), QSize(860, 600));
    EXPECT_EQ(model->image().devicePixelRatio(), 2);
    EXPECT_EQ(model->image().deviceIndependentSize(), QSizeF(430, 300));
}

TEST_F(TreemapTest, AKeyChangeDuringTheLayoutAbandonsIt) {
    makeModel();
    model->refresh(key());
    settle();
    const QImage before = model->image();

    model->layoutSliceSize = 2; // the layout takes several turns of the event loop
    state->setColorMode(ColorMode::byKind);
    model->refresh(key());
    QCoreApplication::processEvents(); // one slice
    ASSERT_TRUE(model->isRefreshing());
    EXPECT_EQ(user->pendingCount(), 0u);

    state->setTypeFilter(TypeFilter::category(FileCategory::images));
    const TreemapRenderKey filtered = key();
    model->refresh(filtered);
    // The old picture stays until the new one is in.
    EXPECT_EQ(model->image().cacheKey(), before.cacheKey());
    runLayout();
    EXPECT_EQ(user->pendingCount(), 1u); // only the newest key is shaded
    runRenders();
    EXPECT_EQ(model->renderedKey(), filtered);
    EXPECT_NE(model->image().cacheKey(), before.cacheKey());
}

TEST_F(TreemapTest, AKeyChangeDuringTheShadingDropsItsPicture) {
    makeModel();
    model->refresh(key());
    runLayout();
    ASSERT_EQ(user->pendingCount(), 1u);

    state->syncCollector({top});
    const TreemapRenderKey collected = key();
    model->refresh(collected);
    runLayout();
    ASSERT_EQ(user->pendingCount(), 2u);
    user->runOldest(); // the superseded picture: its flag stops it, nothing is shown
    QCoreApplication::processEvents();
    EXPECT_TRUE(model->image().isNull());
    EXPECT_FALSE(model->renderedKey());
    runRenders();
    EXPECT_EQ(model->renderedKey(), collected);
    const auto cell = model->layout()->cellIndexOfNode(top.get());
    EXPECT_TRUE(model->layout()->cells[static_cast<std::size_t>(*cell)].collected);
}

TEST_F(TreemapTest, APictureWhoseInputsMovedIsNeverShown) {
    makeModel();
    model->refresh(key());
    runLayout();
    ASSERT_EQ(user->pendingCount(), 1u);
    // A new tree (as after a move to the Trash) lands while the shading runs, and no
    // one has asked for the new key yet.
    state->finishScan(folder("/other", {file("x", 10)}), {});
    runRenders();
    EXPECT_FALSE(model->layout());
    EXPECT_TRUE(model->image().isNull());
    EXPECT_FALSE(model->isRefreshing());
}

TEST_F(TreemapTest, ExtensionColoursArePartOfTheKey) {
    // By-extension colours follow a rescan even when focus, tree and mode stay.
    makeModel();
    state->setColorMode(ColorMode::byType);
    const TreemapRenderKey before = key();
    FileTypeStat png;
    png.ext = "png";
    png.rgb = {0.1, 0.9, 0.2};
    state->statsUpdates().apply({png});
    const TreemapRenderKey after = key();
    EXPECT_FALSE(after.sameContent(before));
    model->refresh(before);
    settle();
    EXPECT_FALSE(model->layout()); // the state moved on: made for nobody
    model->refresh(after);
    settle();
    EXPECT_EQ(model->renderedKey(), after);
}

TEST_F(TreemapTest, NothingToDrawEndsWithNoPicture) {
    makeModel();
    const TreemapRenderKey narrow = key(0.5, 300);
    model->refresh(narrow);
    EXPECT_FALSE(model->isRefreshing());
    EXPECT_FALSE(model->layout());
    EXPECT_EQ(model->renderedKey(), narrow);
    model->refresh(narrow);
    EXPECT_FALSE(model->isRefreshing());

    state->finishScan(folder("/zero", {}, 0), {});
    model->refresh(key());
    settle();
    EXPECT_FALSE(model->layout());
    EXPECT_EQ(model->renderedKey(), key());
    EXPECT_EQ(user->pendingCount(), 0u);
}

TEST_F(TreemapTest, CancellingEndsThePauseAndTheWork) {
    makeModel();
    model->refresh(key());
    settle();
    model->refresh(key(500, 300));
    EXPECT_EQ(clock.pendingCount(), 1u);
    model->cancel();
    QCoreApplication::processEvents(); // the wait ends early, and nothing follows
    EXPECT_FALSE(model->isRefreshing());
    clock.advance(1s);
    QCoreApplication::processEvents();
    runLayout();
    EXPECT_EQ(user->pendingCount(), 0u);
    EXPECT_EQ(model->renderedKey(), key(400, 300));

    // Not cancelled, the same wait does start the work.
    model->refresh(key(500, 300));
    clock.advance(1s);
    QCoreApplication::processEvents();
    runLayout();
    EXPECT_EQ(user->pendingCount(), 1u);
}

TEST_F(TreemapTest, HoverFollowsCellsAndMirrorsIntoTheState) {
    makeModel();
    model->refresh(key());
    settle();
    const QSizeF view(400, 300);
    QSignalSpy cells(model, &TreemapModel::hoverCellChanged);

    EXPECT_EQ(model->updateHover(centreOf(a.get()), view), a);
    EXPECT_EQ(state->hovered(), a);
    EXPECT_EQ(model->hoverNode(), a);
    EXPECT_EQ(model->hoverFolder(), deep);
    EXPECT_EQ(cells.count(), 1);

    // A rest cell hovers no node: the state's hover set here is cleared.
    EXPECT_FALSE(model->updateHover(centreOfRest(many.get()), view));
    EXPECT_FALSE(state->hovered());
    EXPECT_FALSE(model->hoverNode());
    EXPECT_EQ(model->hoverFolder(), many);
    ASSERT_TRUE(model->hoverCell());
    EXPECT_GT(model->layout()->cells[static_cast<std::size_t>(*model->hoverCell())].restCount, 0);

    // A node another view hovers stays hovered over a rest cell and when the
    // pointer leaves.
    state->setHovered(b);
    model->updateHover(centreOfRest(root.get()), view);
    EXPECT_EQ(state->hovered(), b);
    model->clearHover();
    EXPECT_EQ(state->hovered(), b);
    EXPECT_FALSE(model->hoverCell());
    EXPECT_FALSE(model->hoverFolder());

    // Outside the cells the hover ends; the next picture starts without one.
    model->updateHover(centreOf(top.get()), view);
    EXPECT_EQ(state->hovered(), top);
    EXPECT_FALSE(model->updateHover(QPointF(-5, 10), view));
    EXPECT_FALSE(state->hovered());
    model->updateHover(centreOf(top.get()), view);
    state->setColorMode(ColorMode::byKind);
    model->refresh(key());
    settle();
    EXPECT_FALSE(model->hoverCell());
}

TEST_F(TreemapTest, PointsFollowThePictureWhileItIsStretched) {
    makeModel();
    model->refresh(key());
    settle();
    // The view is twice as wide while the picture for its new size is pending.
    const QPointF inLayout = centreOf(top.get());
    const auto cell = model->cellAt(QPointF(inLayout.x() * 2, inLayout.y()), QSizeF(800, 300));
    EXPECT_EQ(model->layout()->nodes[static_cast<std::size_t>(*cell)], top);
}

TEST_F(TreemapTest, DoubleClickZoomsIntoTheTopLevelFolderOnly) {
    makeModel();
    model->refresh(key());
    settle();
    const QSizeF view(400, 300);
    // However deep the cell, the target is the folder at the top.
    EXPECT_EQ(model->zoomTarget(centreOf(a.get()), view), big);
    EXPECT_EQ(model->zoomTarget(centreOfRest(many.get()), view), many);
    // A top-level file, the focus's rest cell and an empty folder go nowhere.
    EXPECT_FALSE(model->zoomTarget(centreOf(top.get()), view));
    EXPECT_FALSE(model->zoomTarget(centreOfRest(root.get()), view));
    EXPECT_FALSE(model->zoomTarget(centreOf(empty.get()), view));
    EXPECT_FALSE(model->zoomTarget(QPointF(500, 10), view));
}
