#include "charts/SunburstScene.h"
#include "SunburstScenery.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

void expectRGB(const RGB& actual, RGB expected) {
    EXPECT_NEAR(actual.red, expected.red, 1e-9);
    EXPECT_NEAR(actual.green, expected.green, 1e-9);
    EXPECT_NEAR(actual.blue, expected.blue, 1e-9);
}

struct Scenery : SunburstScenery {
    Scenery() {
        for (const NodeRef& n : {docs, sub, xBin}) state.colors[n.get()] = {0.2, 0.4, 0.6};
    }
};

} // namespace

TEST(SunburstScene, DimmingFollowsTheTypeFilter) {
    Scenery s;
    s.state.unattributed = 250;
    auto scene = s.make();
    const auto& layout = *scene->layout;
    ASSERT_EQ(layout.rings[0].size(), 4u); // docs, pic, merged, hidden
    EXPECT_EQ(scene->styles[0][0].dim, 0);
    EXPECT_EQ(scene->styles[0][2].dim, 0.45);
    EXPECT_EQ(scene->styles[0][3].dim, 0.3);
    expectRGB(scene->styles[0][3].rgb, {0.62 * 0.92, 0.62 * 0.92, 0.66 * 0.92});

    s.state.filter = TypeFilter::fileExtension("txt");
    scene = s.make();
    EXPECT_EQ(s.styleOf(*scene, s.docs).dim, 0.72);
    EXPECT_EQ(s.styleOf(*scene, s.pic).dim, 0.86);
    EXPECT_EQ(s.styleOf(*scene, s.bigTxt).dim, 0);
    EXPECT_EQ(scene->styles[0][2].dim, 0.8);
    EXPECT_EQ(scene->styles[0][3].dim, 0.75);

    // Collected: at least 0.4, a higher dimming stays.
    s.state.collect(s.bigTxt);
    s.state.collect(s.pic);
    scene = s.make();
    EXPECT_EQ(s.styleOf(*scene, s.bigTxt).dim, 0.4);
    EXPECT_EQ(s.styleOf(*scene, s.pic).dim, 0.86);
    EXPECT_TRUE(s.styleOf(*scene, s.pic).collected);
    EXPECT_FALSE(s.styleOf(*scene, s.docs).collected);
}

TEST(SunburstScene, DepthFadeAndCollectedFolders) {
    Scenery s;
    auto scene = s.make();
    expectRGB(s.styleOf(*scene, s.docs).rgb, {0.2, 0.4, 0.6}); // ring 0: no fade
    expectRGB(s.styleOf(*scene, s.sub).rgb, {0.26954156, 0.44344156, 0.61734156});
    expectRGB(s.styleOf(*scene, s.xBin).rgb, {0.403877375488, 0.513564095488, 0.623250815488});
    ASSERT_EQ(scene->layout->rings[1].size(), 3u); // big.txt, sub, the merged files
    expectRGB(scene->styles[1][2].rgb, {0.639, 0.639, 0.677});

    // A collected folder passes it on to every arc drawn inside it.
    s.state.collect(s.docs);
    scene = s.make();
    EXPECT_TRUE(s.styleOf(*scene, s.docs).collected);
    EXPECT_TRUE(s.styleOf(*scene, s.xBin).collected);
    EXPECT_TRUE(scene->styles[1][2].collected);
    EXPECT_FALSE(s.styleOf(*scene, s.pic).collected);
    EXPECT_FALSE(scene->styles[0][2].collected);
    expectRGB(s.styleOf(*scene, s.sub).rgb, {0.389129112, 0.423909112, 0.458689112});
    EXPECT_TRUE(scene->isCollected(s.docs->children()[5].get(), s.state)); // merged, inside docs
    EXPECT_FALSE(scene->isCollected(s.focus->children()[50].get(), s.state));
    EXPECT_FALSE(scene->isCollected(s.focus.get(), s.state));

    // The focus collected: everything but the hidden space is.
    s.state.unattributed = 250;
    s.state.collect(s.focus);
    scene = s.make();
    EXPECT_TRUE(scene->focusCollected);
    EXPECT_TRUE(scene->isCollected(s.focus.get(), s.state));
    for (std::size_t r = 0; r < scene->styles.size(); ++r)
        for (std::size_t i = 0; i < scene->styles[r].size(); ++i)
            EXPECT_EQ(scene->styles[r][i].collected, !scene->layout->rings[r][i].isHiddenSpace);
}

TEST(SunburstScene, LayoutIsReusedWhileOnlyStylesChange) {
    Scenery s;
    s.state.unattributed = 250;
    const auto first = s.make();
    EXPECT_EQ(first->geometryKey.hiddenBytes, 250);

    s.state.mode = ColorMode::byType;
    const auto second = s.make(first.get());
    EXPECT_EQ(second->layout, first->layout);
    EXPECT_NE(second->styleKey, first->styleKey);

    // By-extension colours are new after a rescan: the style key says so.
    const SunburstStyleKey before(s.state);
    ++s.state.extensionV;
    EXPECT_NE(SunburstStyleKey(s.state), before);

    ++s.state.tree;
    const auto third = s.make(second.get());
    EXPECT_NE(third->layout, second->layout);

    // Hidden space shows only at the top of the tree.
    s.state.focusNode = s.docs;
    const auto inner = s.make(third.get());
    EXPECT_EQ(inner->geometryKey.hiddenBytes, 0);
    EXPECT_FALSE(inner->layout->hiddenSpaceArcRef());
}
