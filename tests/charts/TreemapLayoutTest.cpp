#include "charts/TreemapLayoutJob.h"
#include "FakeChartState.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <functional>

using namespace plenwick;
using namespace plenwick::test;

namespace {

TreemapLayout layOut(FakeChartState& state, const NodeRef& focus, TreemapSize size,
                     TreemapLayoutEngine::Options options = {}) {
    state.focusNode = focus;
    if (!state.rootNode) state.rootNode = focus;
    TreemapLayoutJob job(focus, state, options, size);
    while (job.step() == TreemapLayoutJob::Status::running) {}
    EXPECT_EQ(job.status(), TreemapLayoutJob::Status::finished);
    return job.takeLayout();
}

TreemapCellColor cellColor(RGB c) {
    return {static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue)};
}

void expectColor(const TreemapCellColor& actual, RGB expected) {
    EXPECT_NEAR(actual.r, expected.red, 1e-6);
    EXPECT_NEAR(actual.g, expected.green, 1e-6);
    EXPECT_NEAR(actual.b, expected.blue, 1e-6);
}

} // namespace

TEST(TreemapLayoutEngine, KnownCellsAndARestCell) {
    NodeRef a = file("a.txt", 100), b = file("b.bin", 50), c = file("c.bin", 1), d = file("d.bin", 0);
    NodeRef focus = folder("/f", {a, b, c, d});
    FakeChartState state;
    state.colors[a.get()] = {0.2, 0.4, 0.6};
    state.colors[c.get()] = {0, 0, 0};
    const TreemapLayout layout = layOut(state, focus, {15.1, 10});

    // The rest cell is not divided again: exactly four cells.
    ASSERT_EQ(layout.cells.size(), 4u);
    const TreemapCell& root = layout.cells[0];
    EXPECT_EQ(root.childCount, 3);
    EXPECT_EQ(layout.cells[1].rect, (TreemapRect{0, 0, 10, 10}));
    EXPECT_NEAR(layout.cells[2].rect.y1, 50 / 5.1, 1e-12);
    const TreemapCell& rest = layout.cells[3];
    EXPECT_EQ(rest.restCount, 1);
    EXPECT_EQ(rest.childCount, 0);
    EXPECT_EQ(layout.nodes[3].get(), focus.get());
    expectColor(layout.cells[1].color, {0.3, 0.6, 0.9});          // mean brought to 0.6
    expectColor(rest.color, {0.6, 0.6, 0.6});                     // from its first hidden child, black
    const double f = 0.6 / ((0.62 + 0.62 + 0.66) / 3);
    expectColor(layout.cells[2].color, {0.62 * f, 0.62 * f, 0.66 * f});

    // Lookups: edges fall into edge cells, hidden nodes into the rest cell.
    EXPECT_EQ(layout.cellIndex(5, 5), 1);
    EXPECT_EQ(layout.cellIndex(15.1, 10), 3);
    EXPECT_FALSE(layout.cellIndex(15.2, 5));
    EXPECT_EQ(layout.cellIndexOfNode(focus.get()), 0);
    EXPECT_EQ(layout.cellIndexOfNode(c.get()), 3);
    EXPECT_EQ(layout.cellIndexOfNode(d.get()), 3);
    EXPECT_FALSE(layout.cellIndexOfNode(file("elsewhere", 1).get()));

    // Type filter and collector change the leaves' colours.
    state.filter = TypeFilter::fileExtension("txt");
    state.collect(a);
    const TreemapLayout marked = layOut(state, focus, {15.1, 10});
    const RGB normalB{0.62 * f, 0.62 * f, 0.66 * f};
    expectColor(marked.cells[2].color, TreemapLayoutEngine::dimmedColor(normalB));
    EXPECT_TRUE(marked.cells[1].collected);
    const double l = 0.299 * 0.3 + 0.587 * 0.6 + 0.114 * 0.9;
    expectColor(marked.cells[1].color, {0.8 * l + 0.06, 0.8 * l + 0.12, 0.8 * l + 0.18});
}

TEST(TreemapLayoutEngine, DegenerateFocusAndFolders) {
    FakeChartState state;
    EXPECT_TRUE(layOut(state, folder("/empty", {file("z", 0)}), {100, 100}).empty());
    const TreemapLayout flat = layOut(state, folder("/f", {file("a", 10)}), {0, 100});
    EXPECT_TRUE(flat.empty());
    EXPECT_EQ(flat.size, (TreemapSize{0, 100}));

    NodeRef single = file("one.bin", 10);
    state.colors[single.get()] = {0.1, 0.2, 0.3};
    const TreemapLayout one = layOut(state, single, {40, 30});
    ASSERT_EQ(one.cells.size(), 1u);
    EXPECT_EQ(one.cells[0].rect, (TreemapRect{0, 0, 40, 30}));
    expectColor(one.cells[0].color, {0.3, 0.6, 0.9});

    // A folder whose children are all empty keeps its own colour.
    NodeRef hollow = folder("hollow", {file("z", 0)}, 10);
    state.colors[hollow.get()] = {0.5, 0.5, 0.8};
    const TreemapLayout h = layOut(state, folder("/h", {hollow}), {10, 10});
    ASSERT_EQ(h.cells.size(), 2u);
    EXPECT_EQ(h.cells[1].childCount, 0);
    EXPECT_EQ(h.cells[1].color, cellColor({0.5 * 0.6 / 0.6, 0.5, 0.8}));

    // Children all below 4 square points: one rest cell over the whole folder.
    const TreemapLayout crowd = layOut(state, folder("/c", files(10, 1)), {3, 3});
    ASSERT_EQ(crowd.cells.size(), 2u);
    EXPECT_EQ(crowd.cells[1].restCount, 10);
    EXPECT_EQ(crowd.cells[1].rect, (TreemapRect{0, 0, 3, 3}));

    // A folder drawn as a leaf stands for everything below it; gaps answer the parent.
    NodeRef inner = file("inner", 1);
    NodeRef narrow = folder("narrow", {inner});
    NodeRef wide = file("wide", 99);
    const TreemapLayout n = layOut(state, folder("/n", {wide, narrow}), {100, 10});
    ASSERT_EQ(n.cellIndexOfNode(narrow.get()), n.cellIndexOfNode(inner.get()));
    EXPECT_EQ(n.cells[static_cast<std::size_t>(*n.cellIndexOfNode(inner.get()))].childCount, 0);
    TreemapLayout gap = n;
    gap.cells[0].childCount = 1;
    EXPECT_EQ(gap.cellIndex(99.5, 5), 0);
}

TEST(TreemapLayoutEngine, CellBudgetAndFolderColours) {
    FakeChartState state;
    std::vector<NodeRef> many;
    for (int i = 0; i < 30; ++i) many.push_back(folder("d" + std::to_string(i), files(20, 5)));
    NodeRef focus = folder("/m", many);
    TreemapLayoutEngine::Options small;
    small.maxCells = 50;
    const TreemapLayout capped = layOut(state, focus, {600, 600}, small);
    EXPECT_LE(capped.cells.size(), 50u);
    EXPECT_GE(capped.cells.size(), 45u);
    for (const TreemapCell& c : capped.cells) EXPECT_TRUE(c.childCount > 0 || c.color != TreemapCellColor{});

    // By folder: the palette repeats every 24 children of the anchor.
    state.mode = ColorMode::byFolder;
    state.anchor = focus.get();
    for (int i = 0; i < 30; ++i) state.colors[many[static_cast<std::size_t>(i)].get()] = {0.01 * i, 0.3, 0.5};
    state.colorCalls = 0;
    const TreemapLayout layout = layOut(state, focus, {600, 600});
    EXPECT_EQ(state.colorCalls, 24);
    auto colourUnder = [&](int child) {
        const auto cell = layout.cellIndexOfNode(many[static_cast<std::size_t>(child)]->children()[0].get());
        return layout.cells[static_cast<std::size_t>(*cell)].color;
    };
    EXPECT_EQ(colourUnder(25), colourUnder(1));
    EXPECT_NE(colourUnder(2), colourUnder(1));
}

TEST(TreemapLayoutJob, GivesUpAtTheNextSliceWhenItsInputsMove) {
    NodeRef focus = folder("/big", files(3000, 10));
    NodeRef other = folder("/other", {file("o", 1)});
    const std::vector<std::pair<const char*, std::function<void(FakeChartState&, TreemapLayoutJob&)>>> changes{
        {"tree", [](FakeChartState& s, TreemapLayoutJob&) { ++s.tree; }},
        {"focus", [&](FakeChartState& s, TreemapLayoutJob&) { s.focusNode = other; }},
        {"no focus", [](FakeChartState& s, TreemapLayoutJob&) { s.focusNode.reset(); }},
        {"colour mode", [](FakeChartState& s, TreemapLayoutJob&) { s.mode = ColorMode::byType; }},
        {"filter", [](FakeChartState& s, TreemapLayoutJob&) { s.filter = TypeFilter::fileExtension("txt"); }},
        {"collector", [&](FakeChartState& s, TreemapLayoutJob&) { s.collect(other); }},
        {"cancel", [](FakeChartState&, TreemapLayoutJob& job) { job.cancel(); }},
    };
    for (const auto& [what, change] : changes) {
        // The first slice runs on a later turn of the event loop than the job was
        // made on, so a change before it counts too, even for a one-slice build.
        for (const bool beforeFirstSlice : {false, true}) {
            FakeChartState state;
            state.rootNode = state.focusNode = focus;
            TreemapLayoutJob job(focus, state, {}, {1000, 1000}, beforeFirstSlice ? 20000 : 100);
            if (!beforeFirstSlice) {
                EXPECT_EQ(job.step(), TreemapLayoutJob::Status::running) << what;
            }
            change(state, job);
            EXPECT_EQ(job.step(), TreemapLayoutJob::Status::gaveUp) << what << (beforeFirstSlice ? " early" : "");
        }
    }

    FakeChartState state;
    state.rootNode = state.focusNode = focus;
    state.filter = TypeFilter::fileExtension("txt");
    TreemapLayoutJob job(focus, state, {}, {1000, 1000}, 100);
    int slices = 0;
    while (job.step() == TreemapLayoutJob::Status::running) {
        ++slices;
        state.filter = TypeFilter::fileExtension("txt"); // the same value again is no change
    }
    EXPECT_EQ(job.status(), TreemapLayoutJob::Status::finished);
    EXPECT_EQ(slices, 30);
    EXPECT_EQ(job.takeLayout().cells.size(), 3001u);
}
