#include "charts/SunburstLayout.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plenwick;
using namespace plenwick::test;

namespace {

struct Expected {
    const FileNode* node;
    double start, end;
};

void expectRing(const SunburstLayout& layout, int ring, std::initializer_list<Expected> arcs) {
    ASSERT_LT(static_cast<std::size_t>(ring), layout.rings.size());
    const auto& actual = layout.rings[static_cast<std::size_t>(ring)];
    ASSERT_EQ(actual.size(), arcs.size()) << "ring " << ring;
    std::size_t i = 0;
    for (const Expected& e : arcs) {
        EXPECT_EQ(actual[i].node.get(), e.node) << "ring " << ring << " arc " << i;
        EXPECT_DOUBLE_EQ(actual[i].start, e.start) << "ring " << ring << " arc " << i;
        EXPECT_DOUBLE_EQ(actual[i].end, e.end) << "ring " << ring << " arc " << i;
        ++i;
    }
}

} // namespace

TEST(SunburstRingMetrics, StandardEdgesThinOutwardsAndEndAtOne) {
    const auto& m = SunburstRingMetrics::standard();
    ASSERT_EQ(m.edges.size(), 7u);
    const double expected[] = {0.27, 0.4175, 0.5546, 0.6815, 0.7980, 0.9041};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(m.edges[static_cast<std::size_t>(i)], expected[i], 5e-5);
    EXPECT_EQ(m.edges[6], 1.0);
    EXPECT_DOUBLE_EQ(m.ringRadius(-1), 0);
    EXPECT_DOUBLE_EQ(m.ringRadius(-0.5), 0.135);
    EXPECT_DOUBLE_EQ(m.ringRadius(2.5), (m.edges[2] + m.edges[3]) / 2);
    EXPECT_DOUBLE_EQ(m.ringRadius(7), 1.0 + (1.0 - m.edges[5]));
}

TEST(SunburstLayout, ArcsAreProportionalAndNested) {
    NodeRef x = file("x", 300), y = file("y", 200);
    NodeRef a = folder("a", {x, y}), b = file("b", 250), c = file("c", 250);
    NodeRef focus = folder("/f", {a, b, c});
    const auto layout = SunburstLayout::build(focus);
    ASSERT_EQ(layout.rings.size(), 2u);
    expectRing(layout, 0, {{a.get(), 0, 0.5}, {b.get(), 0.5, 0.75}, {c.get(), 0.75, 1}});
    expectRing(layout, 1, {{x.get(), 0, 0.3}, {y.get(), 0.3, 0.5}});
    EXPECT_EQ(layout.rings[1][0].owner, a.get());
    EXPECT_EQ(layout.index.size(), 5u);

    auto span = SunburstLayout::span(y.get(), focus.get());
    ASSERT_TRUE(span);
    EXPECT_DOUBLE_EQ(span->start, 0.3);
    EXPECT_DOUBLE_EQ(span->end, 0.5);
    EXPECT_EQ(span->depth, 2);
    span = SunburstLayout::span(c.get(), focus.get()); // an equal sibling stored before it comes first
    ASSERT_TRUE(span);
    EXPECT_DOUBLE_EQ(span->start, 0.75);
    EXPECT_FALSE(SunburstLayout::span(focus.get(), focus.get()));
    EXPECT_FALSE(SunburstLayout::span(focus.get(), a.get()));
}

TEST(SunburstLayout, MinimumArcIsZeroPointSixDegreesOfATurn) {
    // 3 of 1800 bytes is exactly 0.6/360 of a turn: placed; it would fall below 1/600.
    NodeRef big = file("big", 1795), edge = file("edge", 3), small = file("small", 2);
    NodeRef focus = folder("/f", {big, edge, small});
    const auto layout = SunburstLayout::build(focus);
    ASSERT_EQ(layout.rings.size(), 1u);
    const auto& ring = layout.rings[0];
    ASSERT_EQ(ring.size(), 3u);
    EXPECT_EQ(ring[1].node.get(), edge.get());
    EXPECT_TRUE(ring[2].isAggregate());
    EXPECT_EQ(ring[2].aggregateCount, 1);
    EXPECT_EQ(ring[2].size, 2);
    EXPECT_NEAR(ring[2].end - ring[2].start, 2.0 / 1800, 1e-15);
    EXPECT_EQ(layout.arcRef(small.get()), (SunburstArcMatch{{0, 2}, false}));
}

TEST(SunburstLayout, SmallChildrenMergeIntoOneArcAndThinRestsLeaveAGap) {
    NodeRef allSmall = folder("all-small", files(1000, 1));
    NodeRef focus = folder("/f", {file("big", 9000), allSmall});
    auto layout = SunburstLayout::build(focus);
    ASSERT_EQ(layout.rings.size(), 2u);
    ASSERT_EQ(layout.rings[1].size(), 1u);
    const SunburstArc& merged = layout.rings[1][0];
    EXPECT_TRUE(merged.isAggregate());
    EXPECT_EQ(merged.owner, allSmall.get());
    EXPECT_EQ(merged.aggregateCount, 1000);
    EXPECT_EQ(merged.size, 1000);
    EXPECT_DOUBLE_EQ(merged.start, 0.9);
    EXPECT_DOUBLE_EQ(merged.end, 1.0);
    EXPECT_EQ(layout.arcRef(allSmall->children()[5].get()), (SunburstArcMatch{{1, 0}, false}));

    // 1 byte in 10,000 is below the aggregate threshold: dropped, a gap remains.
    NodeRef gapFocus = folder("/g", {file("big", 9999), file("tiny", 1)});
    layout = SunburstLayout::build(gapFocus);
    ASSERT_EQ(layout.rings.size(), 1u);
    EXPECT_EQ(layout.rings[0].size(), 1u);
    const double ring0 = (layout.metrics.edges[0] + layout.metrics.edges[1]) / 2;
    EXPECT_EQ(layout.hitTest(ring0, 0.99995), SunburstHit::none());
    EXPECT_EQ(layout.hitTest(ring0, 0.5), SunburstHit::arc({0, 0}));
}

TEST(SunburstLayout, OrderIsCheckedUpToTheFirstSmallChildAndTwentyThreeAfter) {
    NodeRef p = file("p", 100), q = file("q", 300), r = file("r", 600), s = file("s", 300);
    auto layout = SunburstLayout::build(folder("/f", {p, q, r, s}));
    expectRing(layout, 0, {{r.get(), 0, 0.46153846153846156}, {q.get(), 0.46153846153846156, 0.69230769230769229},
                           {s.get(), 0.69230769230769229, 0.92307692307692313}, {p.get(), 0.92307692307692313, 1}});

    // A large child 23 places after the first small one is noticed and sorted in ...
    std::vector<NodeRef> kids{file("a", 10000)};
    for (auto& f : files(23, 1)) kids.push_back(f);
    NodeRef late = file("late", 100);
    kids.push_back(late);
    layout = SunburstLayout::build(folder("/n", kids));
    ASSERT_EQ(layout.rings[0].size(), 3u);
    EXPECT_EQ(layout.rings[0][1].node.get(), late.get());
    EXPECT_EQ(layout.rings[0][2].aggregateCount, 23);

    // ... one place further it is not, and is merged.
    kids.insert(kids.end() - 1, file("extra", 1));
    layout = SunburstLayout::build(folder("/m", kids));
    ASSERT_EQ(layout.rings[0].size(), 2u);
    EXPECT_EQ(layout.rings[0][1].aggregateCount, 25);
    EXPECT_EQ(layout.rings[0][1].size, 124);
}

TEST(SunburstLayout, HiddenSpaceArcClosesRingZero) {
    NodeRef a = file("a", 750);
    auto layout = SunburstLayout::build(folder("/f", {a}), 6, 250);
    EXPECT_DOUBLE_EQ(layout.contentEnd, 0.75);
    EXPECT_EQ(layout.hiddenBytes, 250);
    ASSERT_EQ(layout.rings[0].size(), 2u);
    EXPECT_TRUE(layout.rings[0][1].isHiddenSpace);
    EXPECT_EQ(layout.hiddenSpaceArcRef(), (SunburstArcRef{0, 1}));
    EXPECT_EQ(layout.arcRange(0, 0, layout.contentEnd).last, 1u);

    // An empty focus with hidden bytes: the hidden arc is the whole turn.
    layout = SunburstLayout::build(folder("/e", {}), 6, 100);
    EXPECT_EQ(layout.contentEnd, 0.0);
    ASSERT_EQ(layout.rings.size(), 1u);
    ASSERT_EQ(layout.rings[0].size(), 1u);
    EXPECT_EQ(layout.rings[0][0].end - layout.rings[0][0].start, 1.0);

    // Too thin to draw (0.0002 of the turn): dropped.
    layout = SunburstLayout::build(folder("/t", {file("a", 999800)}), 6, 200);
    EXPECT_EQ(layout.contentEnd, 1.0);
    EXPECT_EQ(layout.hiddenBytes, 0);
    EXPECT_FALSE(layout.hiddenSpaceArcRef());

    // Nothing at all: no rings, only the centre answers.
    layout = SunburstLayout::build(folder("/z", {}));
    EXPECT_TRUE(layout.rings.empty());
    EXPECT_EQ(layout.hitTest(0.5, 0.5), SunburstHit::none());
    EXPECT_EQ(layout.hitTest(0.1, 0.5), SunburstHit::centre());
}

TEST(SunburstLayout, HitTestAtRingEdgesAndAngles) {
    // Seven nested folders: the chain is drawn six rings deep.
    NodeRef leafFile = file("leaf", 100);
    NodeRef chain = leafFile;
    std::vector<NodeRef> levels;
    for (int i = 0; i < 7; ++i) {
        chain = folder("d" + std::to_string(i), {chain, file("side" + std::to_string(i), 100)});
        levels.push_back(chain);
    }
    NodeRef focus = folder("/f", {chain});
    const auto layout = SunburstLayout::build(focus);
    ASSERT_EQ(layout.rings.size(), 6u);
    const auto& edges = layout.metrics.edges;

    EXPECT_EQ(layout.hitTest(std::nextafter(0.27, 0.0), 0.1), SunburstHit::centre());
    EXPECT_EQ(layout.hitTest(0.27, 0.1), SunburstHit::arc({0, 0}));
    EXPECT_EQ(layout.hitTest(std::nextafter(edges[1], 0.0), 0.1), SunburstHit::arc({0, 0}));
    EXPECT_EQ(layout.hitTest(edges[1], 0.1), SunburstHit::arc({1, 0}));
    EXPECT_EQ(layout.hitTest(edges[5], 0.45), SunburstHit::arc({5, 1}));
    EXPECT_EQ(layout.hitTest(edges[5], 0.99), SunburstHit::none());
    EXPECT_EQ(layout.hitTest(1.0, 0.1), SunburstHit::none());
    EXPECT_EQ(layout.hitTest(edges[1], 1.25), layout.hitTest(edges[1], 0.25));
    EXPECT_EQ(layout.hitTest(edges[1], -0.75), layout.hitTest(edges[1], 0.25));

    EXPECT_FALSE(layout.arcRef(focus.get()));
    EXPECT_FALSE(layout.arcRef(file("elsewhere", 1).get()));
    // Deeper than the sixth ring: the deepest drawn ancestor stands for it.
    const auto deep = layout.arcRef(leafFile.get());
    ASSERT_TRUE(deep);
    EXPECT_FALSE(deep->exact);
    EXPECT_EQ(layout.arc(deep->ref).node.get(), levels[1].get());
    EXPECT_EQ(layout.arcRef(levels[1].get()), (SunburstArcMatch{{5, 0}, true}));
}
