#include "charts/SunburstTransition.h"
#include "FakeChartState.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// /r (1000): a (600: b 300 [x 300], c 300), d 400.
struct Tree {
    NodeRef x = file("x", 300);
    NodeRef b = folder("b", {x});
    NodeRef c = file("c", 300);
    NodeRef a = folder("a", {b, c});
    NodeRef d = folder("d", {file("y", 400)});
    NodeRef r = folder("/r", {a, d});
    FakeChartState state;

    Tree() { state.rootNode = r; }
    std::shared_ptr<const SunburstScene> scene(const NodeRef& focus) {
        state.focusNode = focus;
        return SunburstScene::make(state, focus, nullptr);
    }
};

} // namespace

TEST(SunburstTransition, ZoomsInAndOutAlongTheExactSpanScaledByTheOuterScene) {
    Tree t;
    t.state.unattributed = 1000; // the root's scene gives half the turn to hidden space
    const auto root = t.scene(t.r), b = t.scene(t.b);
    ASSERT_DOUBLE_EQ(root->layout->contentEnd, 0.5);

    const SunburstTransition in = SunburstTransition::between(root, *b, 7);
    EXPECT_EQ(in.id, 7u);
    EXPECT_EQ(in.kind, SunburstTransition::Kind::zoomIn);
    EXPECT_NEAR(in.span.start, 0.0, 1e-12); // a comes first, b first within a
    EXPECT_NEAR(in.span.end, 0.6 * 0.5 * 0.5, 1e-12);
    EXPECT_EQ(in.span.depth, 2);
    EXPECT_EQ(in.from, root);

    // Back out to the root: the old focus inside the new, scaled by the new scene.
    const SunburstTransition out = SunburstTransition::between(b, *root, 8);
    EXPECT_EQ(out.kind, SunburstTransition::Kind::zoomOut);
    EXPECT_NEAR(out.span.end, 0.15, 1e-12);
    EXPECT_EQ(out.span.depth, 2);

    // Neither contains the other, or the same focus: a crossfade in place.
    const SunburstTransition across = SunburstTransition::between(b, *t.scene(t.d), 9);
    EXPECT_EQ(across.kind, SunburstTransition::Kind::crossfade);
    EXPECT_EQ(across.span.depth, 0);
    EXPECT_EQ(SunburstTransition::between(root, *t.scene(t.r), 10).kind, SunburstTransition::Kind::crossfade);
}

TEST(SunburstTransition, AFolderOfSizeZeroCrossfadesInsteadOfZoomingIntoNothing) {
    Tree t;
    NodeRef empty = folder("empty", {}, 0);
    NodeRef r = folder("/r", {t.a, empty});
    t.state.rootNode = r;
    const auto root = t.scene(r), inside = t.scene(empty);
    const SunburstTransition in = SunburstTransition::between(root, *inside, 1);
    EXPECT_EQ(in.kind, SunburstTransition::Kind::crossfade);
    EXPECT_EQ(SunburstTransition::between(inside, *root, 2).kind, SunburstTransition::Kind::crossfade);
    for (double p : {0.0, 0.5, 1.0}) {
        const SunburstFrame f = in.frame(p);
        EXPECT_TRUE(std::isfinite(f.windowStart) && std::isfinite(f.windowEnd));
    }
}

TEST(SunburstTransition, FramesShrinkTheWindowGeometricallyOntoTheSpan) {
    SunburstTransition t;
    t.kind = SunburstTransition::Kind::zoomIn;
    t.span = {0.25, 0.5, 2};
    EXPECT_EQ(t.frame(0), (SunburstFrame{0, 1, 0}));
    const SunburstFrame end = t.frame(1);
    EXPECT_NEAR(end.windowStart, 0.25, 1e-12);
    EXPECT_NEAR(end.windowEnd, 0.5, 1e-12);
    EXPECT_NEAR(end.ringShift, 2, 1e-12);
    const SunburstFrame half = t.frame(0.5);
    EXPECT_NEAR(half.windowEnd - half.windowStart, 0.5, 1e-12); // 0.25^0.5
    EXPECT_NEAR(half.windowStart, 0.25 * 0.5 / 0.75, 1e-12);
    EXPECT_NEAR(half.ringShift, 1, 1e-12);

    // Zooming out runs the same frames backwards.
    t.kind = SunburstTransition::Kind::zoomOut;
    EXPECT_EQ(t.frame(1), (SunburstFrame{0, 1, 0}));
    EXPECT_NEAR(t.frame(0).windowStart, 0.25, 1e-12);

    // A span of the whole turn moves its start linearly and keeps the width.
    t.kind = SunburstTransition::Kind::zoomIn;
    t.span = {0.2, 1.2, 1};
    EXPECT_NEAR(t.frame(0.5).windowStart, 0.1, 1e-12);
    EXPECT_NEAR(t.frame(0.5).windowEnd, 1.1, 1e-12);

    t.kind = SunburstTransition::Kind::crossfade;
    EXPECT_EQ(t.frame(0.5), (SunburstFrame{0, 1, 0}));
}

TEST(SunburstTransition, OpacitiesFadeFillsAndLabelsOnTheirOwnSchedules) {
    SunburstTransition t;
    t.kind = SunburstTransition::Kind::crossfade;
    EXPECT_DOUBLE_EQ(t.oldPass(0).opacity, 1);
    EXPECT_DOUBLE_EQ(t.oldPass(0).labelOpacity, 1);
    EXPECT_DOUBLE_EQ(t.newPass(0).opacity, 0);

    EXPECT_DOUBLE_EQ(t.oldPass(0.5).opacity, 1);
    EXPECT_DOUBLE_EQ(t.oldPass(0.5).labelOpacity, 0);
    EXPECT_NEAR(t.newPass(0.5).opacity, 0.802, 1e-3);
    EXPECT_DOUBLE_EQ(t.newPass(0.5).labelOpacity, 0);

    EXPECT_NEAR(t.oldPass(0.8).opacity, 0.417, 1e-3);
    EXPECT_DOUBLE_EQ(t.newPass(0.8).opacity, 1);
    EXPECT_NEAR(t.newPass(0.8).labelOpacity, 0.259, 1e-3);

    // The zooming scene takes the span as its place in the common frame.
    t.kind = SunburstTransition::Kind::zoomIn;
    t.span = {0.25, 0.5, 2};
    EXPECT_DOUBLE_EQ(t.newPass(0.3).baseStart, 0.25);
    EXPECT_DOUBLE_EQ(t.newPass(0.3).baseWidth, 0.25);
    EXPECT_DOUBLE_EQ(t.newPass(0.3).baseDepth, 2);
    EXPECT_DOUBLE_EQ(t.oldPass(0.3).baseWidth, 1);
    t.kind = SunburstTransition::Kind::zoomOut;
    EXPECT_DOUBLE_EQ(t.oldPass(0.3).baseStart, 0.25);
    EXPECT_DOUBLE_EQ(t.newPass(0.3).baseWidth, 1);
}

TEST(SunburstTransition, ProgressIsACubicEaseInOutOverItsDuration) {
    EXPECT_DOUBLE_EQ(sunburstTransitionProgress(0), 0);
    EXPECT_DOUBLE_EQ(sunburstTransitionProgress(-1), 0);
    EXPECT_NEAR(sunburstTransitionProgress(0.35 / 4), 4 * 0.25 * 0.25 * 0.25, 1e-12);
    EXPECT_NEAR(sunburstTransitionProgress(0.175), 0.5, 1e-12);
    EXPECT_NEAR(sunburstTransitionProgress(0.35 * 0.75), 1 - 0.125 / 2, 1e-12);
    EXPECT_DOUBLE_EQ(sunburstTransitionProgress(0.35), 1);
    EXPECT_DOUBLE_EQ(sunburstTransitionProgress(5), 1);
}
