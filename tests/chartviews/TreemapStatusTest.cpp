// What the status line says and which cells the overlay outlines, on hand-made
// layouts over a fake state.
#include "charts/FakeChartState.h"
#include "charts/TestTree.h"

#include "charts/TreemapLayoutEngine.h"
#include "chartviews/TreemapHighlightOverlay.h"
#include "chartviews/TreemapStatusInfo.h"
#include "scanner/FileCategory.h"
#include "shell/Symbols.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class TreemapStatus : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        report = file("Report.PDF", 600);
        notes = file("notes", 100);
        std::vector<NodeRef> small;
        for (int i = 0; i < 37; ++i) small.push_back(file("s" + std::to_string(i), 1));
        old = folder("Old", std::move(small));
        projects = folder("Projects", {report, old, notes});
        root = folder("/Users/me", {projects, file("z", 263)});
        state.rootNode = root;
        state.focusNode = root;

        // Root 100 × 100; Projects the left 70; inside it Report, then a rest cell
        // for Old's 37 files below a leaf cell of Old, and notes.
        layout.size = {100, 100};
        auto add = [&](TreemapRect rect, int parent, int depth, NodeRef node, int restCount = 0,
                       TreemapCellColor color = {}) {
            TreemapCell c;
            c.rect = rect;
            c.parent = parent;
            c.depth = depth;
            c.restCount = restCount;
            c.color = color;
            if (parent >= 0) {
                TreemapCell& p = layout.cells[static_cast<std::size_t>(parent)];
                if (p.firstChild < 0) p.firstChild = static_cast<std::int32_t>(layout.cells.size());
                ++p.childCount;
            }
            layout.cells.push_back(c);
            layout.nodes.push_back(std::move(node));
        };
        add({0, 0, 100, 100}, -1, 0, root);
        add({0, 0, 70, 100}, 0, 1, projects);
        add({70, 0, 100, 100}, 0, 1, root->children()[1], 0, {0.3f, 0.3f, 0.3f});
        add({0, 0, 70, 60}, 1, 2, report, 0, {0.9f, 0.2f, 0.1f});
        add({0, 60, 70, 90}, 1, 2, old);
        add({0, 90, 70, 100}, 1, 2, notes, 0, {0.2f, 0.2f, 0.8f});
        add({0, 60, 70, 90}, 4, 3, old, 37, {0.5f, 0.6f, 0.7f}); // Old's rest cell
        restCell = 6;
    }

    std::optional<TreemapStatusInfo> info(const FileNode* hovered, const FileNode* selection,
                                          std::optional<std::int32_t> hoverCell = std::nullopt) {
        return treemapStatusInfo(state, hovered, selection, &layout, hoverCell);
    }

    FakeChartState state;
    TreemapLayout layout;
    NodeRef root, projects, old, report, notes;
    std::int32_t restCell = 0;
};

} // namespace

TEST_F(TreemapStatus, ARestCellDescribesItsFolderAndItsCount) {
    auto shown = info(nullptr, nullptr, restCell);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title, QStringLiteral("/Users/me/Projects/Old/…"));
    EXPECT_EQ(shown->kind, QStringLiteral("37 smaller items"));
    EXPECT_EQ(shown->symbol, "square.grid.3x3.fill");
    // 70 × 30 of 100 × 100 points: 21 % of the focus.
    EXPECT_EQ(shown->size, static_cast<std::int64_t>(0.21 * 1000));
    EXPECT_DOUBLE_EQ(shown->fraction, 0.21);
    EXPECT_NEAR(shown->color.green, 0.6, 1e-6);

    // Collected, it says so; a rest cell of the focus has no path.
    layout.cells[static_cast<std::size_t>(restCell)].collected = true;
    layout.nodes[static_cast<std::size_t>(restCell)] = root;
    shown = info(nullptr, nullptr, restCell);
    EXPECT_EQ(shown->title, QStringLiteral("Smaller items"));
    EXPECT_EQ(shown->kind, QStringLiteral("In Collector · 37 smaller items"));
    EXPECT_EQ(shown->symbol, "tray.full.fill");
    layout.cells[static_cast<std::size_t>(restCell)].restCount = 1;
    EXPECT_EQ(info(nullptr, nullptr, restCell)->kind, QStringLiteral("In Collector · 1 smaller item"));
}

TEST_F(TreemapStatus, WithoutAHoverOrSelectionTheFocusIsDescribed) {
    auto shown = info(nullptr, nullptr);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title, QStringLiteral("me"));
    EXPECT_EQ(shown->kind, QStringLiteral("40 files"));
    EXPECT_EQ(shown->symbol, "folder");
    EXPECT_EQ(shown->size, 1000);
    EXPECT_EQ(shown->fraction, 1.0);
    EXPECT_EQ(shown->color, defaultNodeColor);
    root->setFileCount(1);
    EXPECT_EQ(info(nullptr, nullptr)->kind, QStringLiteral("1 file"));
    root->setFileCount(40);
    // The focus goes by the name the state calls it (a scanned volume's).
    state.names[root.get()] = "Backup";
    EXPECT_EQ(info(nullptr, nullptr)->title, QStringLiteral("Backup"));
    state.names.clear();

    // Nodes outside the focus are skipped; no focus, no line.
    state.focusNode = projects;
    shown = info(root->children()[1].get(), root.get());
    EXPECT_EQ(shown->title, QStringLiteral("Projects"));
    state.focusNode = nullptr;
    EXPECT_FALSE(info(nullptr, nullptr));
}

TEST_F(TreemapStatus, ANodeIsDescribedByItsPathKindAndShare) {
    // Hovered wins over selected; every item goes by its whole path.
    auto shown = info(report.get(), notes.get());
    EXPECT_EQ(shown->title, QStringLiteral("/Users/me/Projects/Report.PDF"));
    EXPECT_EQ(shown->kind, QStringLiteral("Documents · .pdf"));
    EXPECT_EQ(shown->symbol, fileCategorySymbolName(FileCategory::documents));
    EXPECT_EQ(shown->size, 600);
    EXPECT_DOUBLE_EQ(shown->fraction, 0.6);

    shown = info(nullptr, notes.get());
    EXPECT_EQ(shown->kind, QStringLiteral("Other"));

    // So does the focus itself, and an item below it when zoomed in.
    state.focusNode = projects;
    shown = info(projects.get(), nullptr);
    EXPECT_EQ(shown->title, QStringLiteral("/Users/me/Projects"));
    EXPECT_EQ(shown->kind, QStringLiteral("Folder · 39 files"));
    EXPECT_EQ(info(report.get(), nullptr)->title, QStringLiteral("/Users/me/Projects/Report.PDF"));
    // A root at "/" gives no doubled separator.
    NodeRef usr = folder("usr", {file("perl", 5)});
    NodeRef top = folder("/", {usr});
    state.focusNode = top;
    EXPECT_EQ(info(usr->children()[0].get(), nullptr)->title, QStringLiteral("/usr/perl"));

    // Control characters and bad bytes of the names show as symbols.
    NodeRef odd = file("line1\nline2\xFF.txt", 10);
    NodeRef holder = folder("tab\there", {odd});
    state.focusNode = holder;
    EXPECT_EQ(info(odd.get(), nullptr)->title, QString::fromUtf8("tab\u21E5here/line1\u21B5line2\uFFFD.txt"));
    EXPECT_EQ(info(holder.get(), nullptr)->title, QString::fromUtf8("tab\u21E5here"));
}

TEST_F(TreemapStatus, AnUnreadableItemHasNoKnownSize) {
    NodeRef locked = FileNode::make("Locked", FileNode::Kind::inaccessible, 0, 0, 0, 0);
    NodeRef holder = folder("holder", {file("a", 10), locked});
    state.focusNode = holder;
    EXPECT_FALSE(info(nullptr, locked.get())->sizeKnown);
    EXPECT_TRUE(info(nullptr, holder->children()[0].get())->sizeKnown);
    EXPECT_TRUE(info(nullptr, nullptr)->sizeKnown);
    // An unreadable scan root described as the focus.
    state.rootNode = state.focusNode = locked;
    EXPECT_FALSE(info(nullptr, nullptr)->sizeKnown);
}

TEST_F(TreemapStatus, KindTexts) {
    NodeRef app = FileNode::make("Tool.app", FileNode::Kind::package, 1, 1, 1, 0);
    NodeRef plain = FileNode::make("Thing.weird", FileNode::Kind::package, 1, 1, 1, 0);
    EXPECT_EQ(treemapKindText(*app), QStringLiteral("Application"));
    EXPECT_EQ(treemapKindText(*plain), QStringLiteral("Package"));
    EXPECT_EQ(treemapKindText(*FileNode::make("l", FileNode::Kind::symlink, 0, 0, 1, 0)), QStringLiteral("Alias"));
    EXPECT_EQ(treemapKindText(*FileNode::make("x", FileNode::Kind::inaccessible, 0, 0, 0, 0)),
              QStringLiteral("Not readable"));
    NodeRef many = FileNode::make("m", FileNode::Kind::directory, 1, 1, 12345, 0);
    EXPECT_EQ(treemapKindText(*many), QStringLiteral("Folder · 12,345 files"));
    NodeRef one = FileNode::make("o", FileNode::Kind::directory, 1, 1, 1, 0);
    EXPECT_EQ(treemapKindText(*one), QStringLiteral("Folder · 1 file"));
}

TEST(TreemapStatusSymbols, EverySymbolTheLineNamesIsDrawn) {
    for (FileCategory category : allFileCategories)
        EXPECT_TRUE(symbolNamed(fileCategorySymbolName(category))) << fileCategorySymbolName(category);
    for (std::string_view name :
         {"folder", "arrow.turn.up.right", "lock", "tray.full.fill", "square.grid.3x3.fill"})
        EXPECT_TRUE(symbolNamed(name)) << name;
}

TEST_F(TreemapStatus, SwatchesMatchWhatTheChartDraws) {
    state.colors[report.get()] = {0.2, 0.4, 0.6};
    state.colors[projects.get()] = {0.2, 0.4, 0.6};
    // The leaf under the pointer gives its own cell colour.
    EXPECT_EQ(treemapSwatchColor(state, *report, &layout, 3), (RGB{0.9f, 0.2f, 0.1f}));
    EXPECT_EQ(treemapSwatchColor(state, *report, &layout, std::nullopt), (RGB{0.2, 0.4, 0.6}));

    // A type filter dims a file that misses it, never a folder.
    state.filter = TypeFilter::category(FileCategory::images);
    EXPECT_EQ(treemapSwatchColor(state, *report, nullptr, std::nullopt),
              TreemapLayoutEngine::dimmedColor({0.2, 0.4, 0.6}));
    EXPECT_EQ(treemapSwatchColor(state, *projects, nullptr, std::nullopt), (RGB{0.2, 0.4, 0.6}));
    state.filter.reset();

    // Inside a collected folder: greyed, and the line says so.
    state.collect(projects);
    const RGB c = treemapSwatchColor(state, *report, nullptr, std::nullopt);
    const double l = 0.299 * 0.2 + 0.587 * 0.4 + 0.114 * 0.6;
    EXPECT_NEAR(c.red, 0.8 * l + 0.2 * 0.2, 1e-12);
    EXPECT_NEAR(c.blue, 0.8 * l + 0.2 * 0.6, 1e-12);
    auto shown = info(report.get(), nullptr);
    EXPECT_EQ(shown->kind, QStringLiteral("In Collector · Documents · .pdf"));
    EXPECT_EQ(shown->symbol, "tray.full.fill");
    // …unless it is the leaf under the pointer.
    EXPECT_EQ(treemapSwatchColor(state, *report, &layout, 3), (RGB{0.9f, 0.2f, 0.1f}));
}

TEST_F(TreemapStatus, OutlinesGoToTheHoveredAndSelectedCells) {
    // The root cell is never outlined.
    EXPECT_EQ(treemapHighlight(&layout, 0, root.get(), root.get()), TreemapHighlight{});
    // Hover and selection on different cells; on the same cell only the selection.
    EXPECT_EQ(treemapHighlight(&layout, 3, report.get(), notes.get()), (TreemapHighlight{3, 5}));
    EXPECT_EQ(treemapHighlight(&layout, 3, report.get(), report.get()), (TreemapHighlight{std::nullopt, 3}));
    // A rest cell under the pointer hovers no node but is outlined.
    EXPECT_EQ(treemapHighlight(&layout, restCell, nullptr, nullptr), (TreemapHighlight{restCell, std::nullopt}));
    EXPECT_EQ(treemapHighlight(&layout, 3, nullptr, nullptr), TreemapHighlight{});
    // A node hovered in another view: its cell, or the rest cell that holds it.
    EXPECT_EQ(treemapHighlight(&layout, std::nullopt, old->children()[5].get(), nullptr).hover, restCell);
    EXPECT_EQ(treemapHighlight(&layout, 5, report.get(), nullptr).hover, 3);
    // No layout, no outlines.
    EXPECT_EQ(treemapHighlight(nullptr, 3, report.get(), notes.get()), TreemapHighlight{});
}
