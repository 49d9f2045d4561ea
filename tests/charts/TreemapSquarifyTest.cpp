#include "charts/TreemapSquarify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace plenwick;

namespace {

void expectRect(const TreemapRect& r, double x0, double y0, double x1, double y1) {
    EXPECT_NEAR(r.x0, x0, 1e-4);
    EXPECT_NEAR(r.y0, y0, 1e-4);
    EXPECT_NEAR(r.x1, x1, 1e-4);
    EXPECT_NEAR(r.y1, y1, 1e-4);
}

bool finite(const TreemapRect& r) {
    return std::isfinite(r.x0) && std::isfinite(r.y0) && std::isfinite(r.x1) && std::isfinite(r.y1);
}

} // namespace

TEST(TreemapSquarify, RowsOfKnownWeights) {
    const std::vector<double> weights{6, 6, 4, 3, 2, 2, 1};
    const auto rects = squarify(weights, {0, 0, 6, 4});
    ASSERT_EQ(rects.size(), 7u);
    expectRect(rects[0], 0, 0, 3, 2);
    expectRect(rects[1], 0, 2, 3, 4);
    expectRect(rects[2], 3, 0, 4.7143, 2.3333);
    expectRect(rects[3], 4.7143, 0, 6, 2.3333);
    expectRect(rects[4], 3, 2.3333, 4.2, 4);
    expectRect(rects[5], 4.2, 2.3333, 5.4, 4);
    expectRect(rects[6], 5.4, 2.3333, 6, 4);
    // Rows end exactly at the far edges.
    EXPECT_EQ(rects[1].y1, 4.0);
    EXPECT_EQ(rects[3].x1, 6.0);
    EXPECT_EQ(rects[6].x1, 6.0);
}

TEST(TreemapSquarify, DegenerateWeightsAndSides) {
    EXPECT_TRUE(squarify({}, {0, 0, 6, 4}).empty());
    const std::vector<double> zeros{0, 0};
    for (const auto& r : squarify(zeros, {1, 2, 6, 4})) EXPECT_EQ(r, (TreemapRect{1, 2, 1, 2}));
    const std::vector<double> some{3, 1};
    for (const auto& r : squarify(some, {1, 2, 1, 4})) EXPECT_EQ(r, (TreemapRect{1, 2, 1, 2}));

    // Zero weights after a full first row meet a free rectangle with a zero side:
    // no NaN, every item placed, the zero weights get no area.
    const std::vector<double> trailing{4, 0, 0};
    const auto rects = squarify(trailing, {0, 0, 2, 2});
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0], (TreemapRect{0, 0, 2, 2}));
    for (const auto& r : rects) {
        EXPECT_TRUE(finite(r));
        EXPECT_GE(r.x0, 0);
        EXPECT_LE(r.x1, 2);
    }
    EXPECT_EQ(rects[1].width() * rects[1].height(), 0);
    EXPECT_EQ(rects[2].width() * rects[2].height(), 0);

    const std::vector<double> mixed{5, 0, 3, 0};
    const auto mixedRects = squarify(mixed, {0, 0, 4, 2});
    double area = 0;
    for (const auto& r : mixedRects) {
        EXPECT_TRUE(finite(r));
        area += r.width() * r.height();
    }
    EXPECT_NEAR(area, 8, 1e-9);
}
