#include "charts/TreemapCushionRenderer.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace plenwick;

namespace {

using Renderer = TreemapCushionRenderer;

TreemapCell cell(TreemapRect rect, std::int32_t parent, std::int32_t depth, TreemapCellColor color,
                 bool collected = false) {
    TreemapCell c;
    c.rect = rect;
    c.parent = parent;
    c.depth = depth;
    c.color = color;
    c.collected = collected;
    return c;
}

// A root of 20 × 10 points with two leaves side by side; the right one collected.
std::vector<TreemapCell> twoLeaves() {
    auto root = cell({0, 0, 20, 10}, -1, 0, {});
    root.firstChild = 1;
    root.childCount = 2;
    return {root, cell({0, 0, 10, 10}, 0, 1, {0.3f, 0.6f, 0.9f}),
            cell({10, 0, 20, 10}, 0, 1, {0.3f, 0.6f, 0.9f}, true)};
}

std::array<int, 3> rgbAt(const TreemapBitmap& b, int x, int y) {
    const std::uint8_t* p = b.pixel(x, y);
    EXPECT_EQ(p[3], 255);
    return {p[0], p[1], p[2]};
}

using RGB3 = std::array<int, 3>;
const RGB3 background{31, 31, 33};

} // namespace

TEST(TreemapCushionRenderer, ShadesOneCushionOverTheRoot) {
    const std::vector<TreemapCell> cells{cell({0, 0, 10, 10}, -1, 0, {0.5f, 0.5f, 0.5f})};
    const auto bitmap = Renderer::render(cells, {}, nullptr, {10, 10}, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 10);
    EXPECT_EQ(bitmap->height, 10);
    EXPECT_EQ(bitmap->stride, 40u);
    EXPECT_EQ(rgbAt(*bitmap, 4, 4), (RGB3{186, 186, 186}));
    EXPECT_EQ(rgbAt(*bitmap, 0, 0), (RGB3{117, 117, 117})); // lit from the upper left
    EXPECT_EQ(rgbAt(*bitmap, 9, 9), (RGB3{77, 77, 77}));

    // A bright red overflows into the other channels instead of clipping alone.
    const std::vector<TreemapCell> red{cell({0, 0, 10, 10}, -1, 0, {1.0f, 0.2f, 0.2f})};
    EXPECT_EQ(rgbAt(*Renderer::render(red, {}, nullptr, {10, 10}, 1), 4, 4), (RGB3{255, 134, 134}));

    // No light direction counts as light from the viewer: the cushion's top is lit fully.
    Renderer::Parameters overhead;
    overhead.light = {0, 0, 0};
    overhead.gain = 1;
    const std::vector<TreemapCell> flat{cell({0, 0, 2, 2}, -1, 0, {0.4f, 0.4f, 0.4f})};
    const auto lit = Renderer::render(flat, overhead, nullptr, {2, 2}, 0.5); // one pixel at the top
    ASSERT_TRUE(lit);
    EXPECT_EQ(rgbAt(*lit, 0, 0), (RGB3{102, 102, 102}));
}

TEST(TreemapCushionRenderer, NestedAndCollectedLeaves) {
    const auto cells = twoLeaves();
    const auto bitmap = Renderer::render(cells, {}, nullptr, {20, 10}, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(rgbAt(*bitmap, 3, 5), (RGB3{75, 150, 226}));
    EXPECT_EQ(rgbAt(*bitmap, 15, 2), (RGB3{35, 61, 88}));   // on a stripe
    EXPECT_EQ(rgbAt(*bitmap, 14, 2), (RGB3{44, 79, 114}));  // its soft edge
    EXPECT_EQ(rgbAt(*bitmap, 12, 2), (RGB3{59, 105, 152})); // between stripes

    Renderer::Parameters faded;
    faded.collectedFade = 1;
    auto b = Renderer::render(cells, faded, nullptr, {20, 10}, 1);
    EXPECT_EQ(rgbAt(*b, 12, 2), background);
    EXPECT_EQ(rgbAt(*b, 15, 2), (RGB3{21, 21, 23}));
    faded.hatchInk = 0;
    b = Renderer::render(cells, faded, nullptr, {20, 10}, 1);
    EXPECT_EQ(rgbAt(*b, 15, 2), background);

    // Many threads or one: the same bytes.
    std::vector<TreemapCell> many{cell({0, 0, 300, 200}, -1, 0, {})};
    many[0].firstChild = 1;
    many[0].childCount = 600;
    for (int i = 0; i < 600; ++i) {
        const double x = (i % 30) * 10, y = (i / 30) * 10;
        many.push_back(cell({x, y, x + 10, y + 10}, 0, 1, {0.1f * (i % 7), 0.5f, 0.2f}, i % 5 == 0));
    }
    const auto parallel = Renderer::render(many, {}, nullptr, {300, 200}, 2);
    const auto single = Renderer::render(many, {}, nullptr, {300, 200}, 2, 1);
    ASSERT_TRUE(parallel && single);
    EXPECT_EQ(parallel->words, single->words);
}

TEST(TreemapCushionRenderer, EmptySizesThinLeavesAndCancellation) {
    const std::vector<TreemapCell> root{cell({0, 0, 0.2, 100}, -1, 0, {0.5f, 0.5f, 0.5f})};
    EXPECT_FALSE(Renderer::render(root, {}, nullptr, {0.2, 100}, 2));

    // A leaf whose edges round to the same column draws nothing.
    auto parent = cell({0, 0, 4, 4}, -1, 0, {});
    parent.firstChild = 1;
    parent.childCount = 1;
    const std::vector<TreemapCell> thin{parent, cell({1.1, 0, 1.4, 4}, 0, 1, {1, 1, 1})};
    const auto b = Renderer::render(thin, {}, nullptr, {4, 4}, 1);
    ASSERT_TRUE(b);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(rgbAt(*b, x, 2), background);

    TreemapCancelFlag flag;
    flag.set();
    EXPECT_FALSE(Renderer::render(twoLeaves(), {}, &flag, {20, 10}, 1));
}
