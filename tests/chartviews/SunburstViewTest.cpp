// The sunburst view on a real application state: pointer input through the widget,
// the transitions it starts, what it follows in the state, and its accessibility.
#include "app/StateFixture.h"
#include "common/DuringNotification.h"
#include "chartviews/SunburstArcsLayer.h"
#include "chartviews/SunburstCentreDisc.h"
#include "chartviews/SunburstOverlayLayer.h"
#include "chartviews/SunburstTexts.h"
#include "chartviews/SunburstView.h"

#include "platform/MotionPreference.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <cmath>
#include <numbers>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class SunburstViewTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        // /vol (1000): docs (600: big.txt 400, sub 200 [x.bin 200]), pic.png 300, and
        // a hundred 1-byte files merged into one arc.
        std::vector<NodeRef> top{folder("docs", {file("big.txt", 400), folder("sub", {file("x.bin", 200)})}),
                                 file("pic.png", 300)};
        for (int i = 0; i < 100; ++i) top.push_back(file("f" + std::to_string(i), 1));
        root = folder("/vol", top);
        docs = child(root, "docs");
        sub = child(docs, "sub");
        pic = child(root, "pic.png");
        state->finishScan(root, {});
        runUtilityJobs();

        view = std::make_unique<SunburstView>(*state);
        view->setClock([this] { return now; });
        view->resize(600, 600);
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        view.reset();
        StateTest::TearDown();
    }

    const SunburstLayout& layout() const { return *view->scene()->layout; }
    // A point inside the node's arc (or an arc by reference), away from its edges.
    QPointF at(const SunburstArcRef& ref) const {
        const SunburstArc& arc = layout().arc(ref);
        const SunburstChartGeometry g = view->chartGeometry();
        const double a = 2 * std::numbers::pi * (arc.start + 0.3 * (arc.end - arc.start));
        const double r = layout().metrics.ringRadius(arc.ring + 0.5) * g.radius;
        return g.centre + QPointF(std::sin(a) * r, -std::cos(a) * r);
    }
    QPointF at(const NodeRef& node) const { return at(layout().index.at(node.get())); }
    QPointF centre() const { return view->chartGeometry().centre; }
    SunburstArcRef smallerItems() const { return {0, 2}; }

    void send(QEvent::Type type, const QPointF& p, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent event(type, p, view->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(view.get(), &event);
    }
    void move(const QPointF& p) { send(QEvent::MouseMove, p, Qt::NoButton); }
    // A click `gap` ms after the previous one; Qt sends the second press of a pair as
    // a double click and the third as a plain press again.
    void click(const QPointF& p, int gap = 1000, bool asDouble = false) {
        timestamp += static_cast<ulong>(gap);
        send(asDouble ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, p);
        send(QEvent::MouseButtonRelease, p, Qt::NoButton);
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(view.get(), &event);
    }
    void advance(double seconds) {
        now += seconds;
        view->advanceTransition();
    }

    NodeRef root, docs, sub, pic;
    std::unique_ptr<SunburstView> view;
    double now = 0;
    ulong timestamp = 100000;
};

} // namespace

TEST_F(SunburstViewTest, HoverFollowsThePointerIntoTheStateAndRepaintsOnlyTheOverlay) {
    ASSERT_TRUE(view->scene());
    view->repaint();
    const int renders = view->arcsLayer()->renderCount();

    move(at(docs));
    EXPECT_EQ(state->hovered(), docs);
    EXPECT_EQ(view->contextNode(), docs);
    EXPECT_EQ(view->centreDisc()->info().title, "docs");
    EXPECT_EQ(view->overlayLayer()->content().highlight, (SunburstArcMatch{layout().index.at(docs.get()), true}));
    move(at(pic));
    EXPECT_EQ(state->hovered(), pic);
    move(at(smallerItems()));
    EXPECT_FALSE(state->hovered());
    EXPECT_FALSE(view->contextNode());
    EXPECT_EQ(view->centreDisc()->info().title, "100 smaller items");
    view->repaint();

    // The centre is the focus; it can be left upwards only below the root.
    move(centre());
    EXPECT_EQ(state->hovered(), root);
    EXPECT_TRUE(view->centreDisc()->isHovered());
    EXPECT_FALSE(view->centreDisc()->canZoomOut());
    view->repaint();
    EXPECT_EQ(view->arcsLayer()->renderCount(), renders);

    // Leaving clears the hover but keeps the node for a drag or menu.
    leave();
    EXPECT_FALSE(state->hovered());
    EXPECT_EQ(view->pointer(), SunburstHit::none());
    EXPECT_EQ(view->contextNode(), root);
    EXPECT_TRUE(view->centreDisc()->info().isFocus);

    // A node hovered in another view lights the arc that stands for it.
    state->setHovered(child(root, "f0"));
    EXPECT_EQ(view->overlayLayer()->content().highlight, (SunburstArcMatch{smallerItems(), false}));
    EXPECT_EQ(view->centreDisc()->info().title, "f0");
    view->repaint();
    EXPECT_EQ(view->arcsLayer()->renderCount(), renders);
}

TEST_F(SunburstViewTest, EachPointerMoveBringsTheLayersUpToDateOnce) {
    int before = view->layerRefreshCount();
    const auto refreshes = [&] {
        const int now = view->layerRefreshCount() - before;
        before = view->layerRefreshCount();
        return now;
    };
    move(at(docs)); // a new hover
    EXPECT_EQ(refreshes(), 1);
    move(at(docs)); // the same arc: nothing
    EXPECT_EQ(refreshes(), 0);
    move(at(pic));
    EXPECT_EQ(refreshes(), 1);
    move(at(smallerItems())); // no node: the hover is cleared
    EXPECT_EQ(refreshes(), 1);
    EXPECT_FALSE(state->hovered());
    move(QPointF(2, 2)); // outside the rings, the hover already clear
    EXPECT_EQ(refreshes(), 1);
    move(at(pic));
    EXPECT_EQ(refreshes(), 1);
    leave();
    EXPECT_EQ(refreshes(), 1);
    EXPECT_FALSE(state->hovered());
    EXPECT_EQ(view->overlayLayer()->content().highlight, std::nullopt);
}

TEST_F(SunburstViewTest, ClicksSelectDoubleClicksZoomAndATripleClickZoomsOnce) {
    click(at(pic));
    EXPECT_EQ(state->selection(), pic);
    const QPointF spot = at(docs);
    click(spot, 1000);
    EXPECT_EQ(state->selection(), docs);
    EXPECT_EQ(state->focus(), root);
    click(spot, 100, true);
    EXPECT_EQ(state->focus(), docs);
    // The third click lands on sub, which now lies under the pointer: no second zoom.
    ASSERT_EQ(view->chartGeometry().hit(layout(), spot).kind, SunburstHit::Kind::arc);
    click(spot, 100);
    EXPECT_EQ(state->focus(), docs);
    EXPECT_EQ(state->selection(), docs);
    click(spot, 100, true); // Qt would call the fourth a double click
    EXPECT_EQ(state->focus(), docs);

    // The centre zooms out, at every click.
    click(centre());
    EXPECT_EQ(state->focus(), root);
    click(centre(), 100);
    EXPECT_EQ(state->focus(), root);

    // A single click on the selected folder zooms into it.
    state->select(docs);
    click(at(docs));
    EXPECT_EQ(state->focus(), docs);
}

TEST_F(SunburstViewTest, TheSmallerItemsOfTheFocusSelectItAndNeverZoom) {
    click(at(smallerItems()));
    EXPECT_EQ(state->selection(), root);
    click(at(smallerItems()), 100, true);
    EXPECT_EQ(state->focus(), root);
    EXPECT_EQ(state->selection(), root);

    // Outside the rings the selection goes.
    click(QPointF(2, 2));
    EXPECT_FALSE(state->selection());
}

TEST_F(SunburstViewTest, TheHiddenSpaceFollowsTheVolumeFiguresAndIgnoresClicks) {
    ASSERT_FALSE(layout().hiddenSpaceArcRef());
    // The scan volume's figures arrive after the results: used 2000, the tree 1000.
    volumes->holder = volume("/vol", "Vol", 3000, 1000);
    state->volumeRefresh().refreshScanVolumeForRoot();
    runUtilityJobs();
    ASSERT_EQ(state->unattributedBytes(), 1000);
    const auto hidden = layout().hiddenSpaceArcRef();
    ASSERT_TRUE(hidden);
    EXPECT_EQ(layout().hiddenBytes, 1000);

    state->select(pic);
    click(at(*hidden));
    EXPECT_EQ(state->selection(), pic);
    move(at(*hidden));
    EXPECT_FALSE(view->contextNode());
    EXPECT_EQ(view->centreDisc()->info().title, "Hidden space");

    // Its help tag, and none elsewhere.
    QHelpEvent help(QEvent::ToolTip, at(*hidden).toPoint(), view->mapToGlobal(at(*hidden).toPoint()));
    QApplication::sendEvent(view.get(), &help);
    EXPECT_TRUE(help.isAccepted());
    EXPECT_EQ(QToolTip::text(), sunburstHiddenSpaceToolTip());
    QHelpEvent elsewhere(QEvent::ToolTip, at(docs).toPoint(), view->mapToGlobal(at(docs).toPoint()));
    QApplication::sendEvent(view.get(), &elsewhere);
    EXPECT_FALSE(elsewhere.isAccepted());
}

TEST_F(SunburstViewTest, NewExtensionColoursAfterARescanRecolourTheChart) {
    state->setColorMode(ColorMode::byType);
    advance(1);
    FileTypeStat png;
    png.ext = "png";
    png.rgb = {0.9, 0.1, 0.1};
    state->statsUpdates().apply({png});
    advance(1);
    const RGB before = view->scene()->style(layout().index.at(pic.get())).rgb;
    png.rgb = {0.1, 0.1, 0.9};
    state->statsUpdates().apply({png});
    const RGB after = view->scene()->style(layout().index.at(pic.get())).rgb;
    EXPECT_NE(before, after);
    EXPECT_GT(after.blue, after.red);
}

TEST_F(SunburstViewTest, FocusChangesZoomAndOtherChangesCrossfadeUntilTheTransitionClears) {
    EXPECT_FALSE(view->transition()); // the first scene comes without animation
    const auto rootScene = view->scene();

    state->navigate(docs);
    ASSERT_TRUE(view->transition());
    EXPECT_EQ(view->transition()->kind, SunburstTransition::Kind::zoomIn);
    EXPECT_EQ(view->transition()->from, rootScene);
    EXPECT_NEAR(view->transition()->span.end, 0.6, 1e-12);
    EXPECT_FALSE(view->overlayLayer()->content().scene); // no overlay while it runs
    advance(0.175);
    EXPECT_NEAR(view->transitionProgress(), 0.5, 1e-9);

    // A new focus within the transition replaces it, starting from the scene it was
    // heading for.
    const auto docsScene = view->scene();
    const std::uint64_t first = view->transition()->id;
    state->navigate(sub);
    ASSERT_TRUE(view->transition());
    EXPECT_NE(view->transition()->id, first);
    EXPECT_EQ(view->transition()->from, docsScene);
    EXPECT_EQ(view->transition()->span.depth, 1);
    advance(0.3);
    EXPECT_TRUE(view->transition());
    advance(0.1);
    EXPECT_FALSE(view->transition());
    EXPECT_TRUE(view->overlayLayer()->content().scene);

    state->goBack();
    EXPECT_EQ(view->transition()->kind, SunburstTransition::Kind::zoomOut);
    advance(1);
    state->setColorMode(ColorMode::byKind);
    EXPECT_EQ(view->transition()->kind, SunburstTransition::Kind::crossfade);
    EXPECT_EQ(view->transition()->from->layout, view->scene()->layout); // only the styles are new
    advance(1);

    view->setReduceMotion(true);
    state->navigate(pic); // a file: its folder, the root
    EXPECT_FALSE(view->transition());
}

TEST_F(SunburstViewTest, ReducedMotionFollowsTheDesktopsSetting) {
    MotionPreference& motion = MotionPreference::shared();
    motion.setOverride(true); // as when the desktop asks for reduced motion
    state->navigate(docs);
    EXPECT_FALSE(view->transition());
    motion.setOverride(false);
    state->goBack();
    EXPECT_TRUE(view->transition()) << "the setting is followed as it changes";
    motion.setOverride(std::nullopt);
}

TEST_F(SunburstViewTest, ARescanDropsTheNodeUnderTheRestingPointerAndHoversWhatIsNowThere) {
    move(at(docs));
    ASSERT_EQ(view->contextNode(), docs);
    // A new tree, as after a rescan: the old nodes are gone.
    NodeRef fresh = folder("/vol", {folder("docs", {file("a", 10)}), file("b", 5)});
    state->finishScan(fresh, {});
    EXPECT_NE(view->contextNode(), docs);
    EXPECT_EQ(view->contextNode(), child(fresh, "docs"));
    QCoreApplication::processEvents(); // the hover follows once the notification is over
    EXPECT_EQ(state->hovered(), child(fresh, "docs"));
}

TEST_F(SunburstViewTest, TheContextMenuIsAskedForTheNodeUnderThePointer) {
    std::vector<NodeRef> asked;
    QObject::connect(view.get(), &SunburstView::contextMenuRequested,
                     [&](const NodeRef& node, QPoint) { asked.push_back(node); });
    auto rightClick = [&](const QPointF& p) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, p.toPoint(), view->mapToGlobal(p.toPoint()));
        QApplication::sendEvent(view.get(), &event);
    };
    rightClick(at(pic));
    rightClick(at(smallerItems()));
    rightClick(centre());
    EXPECT_EQ(asked, (std::vector<NodeRef>{pic, root}));
}

TEST_F(SunburstViewTest, AssistiveTechnologySeesOneImageWithItsDescriptionAndAZoomOutAction) {
    state->navigate(docs);
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->role(), QAccessible::Graphic);
    EXPECT_EQ(chart->childCount(), 0);
    EXPECT_EQ(chart->text(QAccessible::Name), sunburstAccessibilityLabel(layout(), AppStateChartState(*state)));
    EXPECT_TRUE(chart->text(QAccessible::Name).startsWith("Sunburst chart of docs"));
    ASSERT_TRUE(chart->actionInterface());
    EXPECT_EQ(chart->actionInterface()->actionNames(), QStringList{"Zoom Out"});
    chart->actionInterface()->doAction("Zoom Out");
    EXPECT_EQ(state->focus(), root);
    chart->actionInterface()->doAction("Zoom Out"); // at the root: nothing
    EXPECT_EQ(state->focus(), root);
}

TEST_F(SunburstViewTest, WithoutAFocusOnlyTheBackgroundShows) {
    state->scanRun().reset();
    EXPECT_FALSE(view->scene());
    EXPECT_FALSE(view->transition());
    EXPECT_FALSE(view->centreDisc()->isVisible());
    click(centre());
    move(centre());
    EXPECT_FALSE(state->hovered());
}

TEST_F(SunburstViewTest, ANewSceneIsDrawnAnewThoughItTakesTheMemoryOfOneDrawnBefore) {
    view->setReduceMotion(true);
    state->navigate(docs);
    view->repaint();
    const int renders = view->arcsLayer()->renderCount();
    // Two scenes in a row without a paint between: the second is made once the docs
    // scene is gone and may take its place in memory.
    state->goBack();
    state->syncCollector({docs});
    view->repaint();
    EXPECT_EQ(view->arcsLayer()->renderCount(), renders + 1);
}

// Hidden from inside the state's notification (a chart swap), the chart under the
// resting pointer gets a Leave right then: its hover ends after the notification.
TEST_F(SunburstViewTest, ALeaveCausedByTheStatesOwnChangeReportsAfterTheNotification) {
    QWidget window;
    window.resize(600, 600);
    view->setParent(&window);
    struct GiveBack {
        SunburstView* chart;
        ~GiveBack() { chart->setParent(nullptr); }
    } giveBack{view.get()};
    window.show();
    view->show();
    QApplication::processEvents();
    restPointer(view.get(), at(docs).toPoint());
    ASSERT_EQ(state->hovered(), docs);

    duringNextNotification(*state, [&] { view->hide(); });
    state->select(pic);
    EXPECT_EQ(state->hovered(), docs);
    QApplication::processEvents();
    EXPECT_FALSE(state->hovered());
}
