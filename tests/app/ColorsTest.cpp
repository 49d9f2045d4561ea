#include "StateFixture.h"

#include "app/FolderColors.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {

const RGB slot0 = hsbToRGB(0.58, 0.62, 0.92);

} // namespace

TEST_F(StateTest, FolderColoursSkipSingleFolderChainsAndCycleEvery24Slots) {
    makeState();
    // root ─ only ─ big ─ x.bin
    //             └ small ─ y.bin
    NodeRef root = folder("/scan", {folder("only", {folder("big", {file("x.bin", 100)}), folder("small", {file("y.bin", 10)})})});
    NodeRef only = child(root, "only"), big = child(only, "big"), small = child(only, "small");
    state->finishScan(root, {});

    const auto* coloring = state->makeFolderColoring();
    ASSERT_TRUE(coloring);
    EXPECT_EQ(coloring->anchor, only);
    EXPECT_NEAR(slot0.green, 0.646208, 1e-9);
    EXPECT_EQ(state->color(*root), defaultNodeColor);       // the focus itself
    EXPECT_EQ(state->color(*only), slot0);                  // the skipped chain
    EXPECT_EQ(state->color(*big), slot0);                   // slot 0
    EXPECT_EQ(state->color(*child(big, "x.bin")), slot0);   // inside slot 0
    EXPECT_EQ(state->color(*small), hsbToRGB(0.38196601125 + 0.58, 0.62, 0.92));
    EXPECT_EQ(state->makeFolderColoring(), coloring); // cached for the same focus and version

    // Focus on a folder whose only child is a file: the anchor is the focus itself.
    state->navigate(big);
    EXPECT_EQ(state->makeFolderColoring()->anchor, big);
    EXPECT_EQ(state->color(*child(big, "x.bin")), slot0);
    EXPECT_EQ(state->color(*root), defaultNodeColor); // ancestors of the focus

    // Thirty children: 0 and 24 share a hue, as do 5 and 29.
    std::vector<NodeRef> many;
    for (int i = 0; i < 30; ++i) many.push_back(file("f" + std::to_string(100 + i), 1000 - i));
    NodeRef wide = folder("/wide", std::move(many));
    state->finishScan(wide, {});
    const auto kids = wide->children();
    EXPECT_EQ(state->color(*kids[0]), state->color(*kids[24]));
    EXPECT_EQ(state->color(*kids[5]), state->color(*kids[29]));
    EXPECT_NE(state->color(*kids[0]), state->color(*kids[1]));
}

TEST_F(StateTest, KindAndTypeColoursAndTheTypeFilter) {
    makeState();
    NodeRef app = node("Tool.app", FileNode::Kind::package, 50, {file("exe", 50)});
    NodeRef closed = node("Other.app", FileNode::Kind::package, 40);
    NodeRef photo = file("photo.JPG", 30);
    NodeRef album = folder("album.jpg", {file("z.txt", 1)});
    NodeRef root = folder("/scan", {app, closed, photo, album});
    FileTypeStat jpg{"jpg", FileCategory::images, 30, 1, RGB{0.1, 0.2, 0.3}};
    FileTypeStat appStat{"app", FileCategory::applications, 40, 1, RGB{0.4, 0.5, 0.6}};
    state->finishScan(root, {appStat, jpg});

    state->setColorMode(ColorMode::byKind);
    EXPECT_EQ(state->color(*photo), (RGB{0.27, 0.8, 0.55}));
    EXPECT_EQ(state->color(*album), (RGB{0.6, 0.65, 0.72}));

    state->setColorMode(ColorMode::byType);
    EXPECT_EQ(state->color(*app), defaultNodeColor);   // a package with contents is grey
    EXPECT_EQ(state->color(*closed), appStat.rgb);     // one the scanner did not enter
    EXPECT_EQ(state->color(*photo), jpg.rgb);
    EXPECT_EQ(state->color(*child(album, "z.txt")), defaultNodeColor);

    EXPECT_TRUE(state->matchesTypeFilter(*album));
    state->setTypeFilter(TypeFilter::fileExtension("jpg"));
    EXPECT_TRUE(state->matchesTypeFilter(*photo));
    EXPECT_FALSE(state->matchesTypeFilter(*album));
    state->setTypeFilter(TypeFilter::category(FileCategory::applications));
    EXPECT_TRUE(state->matchesTypeFilter(*closed));
    EXPECT_FALSE(state->matchesTypeFilter(*app));
}

TEST(FolderColors, EveryChildOfAWideAnchorKeepsItsOwnSlot) {
    std::vector<NodeRef> many;
    for (int i = 0; i < 5000; ++i) many.push_back(file("f" + std::to_string(i), 5000 - i));
    NodeRef root = folder("/wide", std::move(many));
    ChildSlots table;
    table.assign(root->children());
    EXPECT_EQ(table.size(), 5000u);
    for (std::size_t i = 0; i < root->childCount(); ++i) ASSERT_EQ(table.find(root->children()[i].get()), int(i));
    EXPECT_EQ(table.find(root.get()), -1);
    EXPECT_EQ(table.find(nullptr), -1);
    EXPECT_EQ(ChildSlots().find(root.get()), -1);
    // The colour of a child far down the list is that of its slot.
    FolderColors colors;
    EXPECT_EQ(colors.color(*root->children()[4999], root, root.get(), 1),
              colors.color(*root->children()[4999 % 24], root, root.get(), 1));
    EXPECT_NE(colors.color(*root->children()[4999], root, root.get(), 1),
              colors.color(*root->children()[4998], root, root.get(), 1));
}

TEST(FolderColors, TheColouringIsKeptPerFocusAndVersionAndBuiltAnewForAnother) {
    FolderColors colors;
    EXPECT_EQ(colors.coloring(NodeRef(), 1), nullptr);
    EXPECT_EQ(colors.color(*file("x", 1), NodeRef(), nullptr, 1), defaultNodeColor);
    NodeRef root = folder("/scan", {folder("a", {file("x", 2)}), file("b", 1)});
    const FolderColoring* first = colors.coloring(root, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->childSlots.size(), 2u);
    EXPECT_EQ(colors.coloring(root, 1), first);
    // A later tree version: the anchor's children are counted again.
    root->setChildren({child(root, "a")});
    EXPECT_EQ(colors.coloring(root, 2)->childSlots.size(), 1u);
    EXPECT_EQ(colors.cached()->version, 2);
    colors.reset();
    EXPECT_FALSE(colors.cached());
}
