// The treemap's status line in the real window: every item by its whole path, and the
// size and share always whole, the kind giving way entirely rather than to a lone "…".
#include "ResultsWindowFixture.h"

#include "chartviews/TreemapStatusBar.h"
#include "chartviews/TreemapView.h"

namespace plenwick::test {
namespace {

class TreemapStatusLine : public ResultsWindowTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(TreemapStatusLine, PathsAreWholeAndNothingShowsAsALoneEllipsis) {
    const std::string deep = "usr/share/perl/5.36.0/TAP/Parser/Iterator/with a rather long folder name";
    resizeWindow(GetParam());
    const std::string base = makeFiles({{deep + "/Process.pm", 9000}, {"top.txt", 10}});
    scan(base);
    state().setVisualization(Visualization::treemap);
    settle();
    auto* treemap = qobject_cast<TreemapView*>(results()->chart());
    ASSERT_NE(treemap, nullptr);
    TreemapStatusBar* bar = treemap->statusBar();

    for (const std::string& relative : {deep + "/Process.pm", std::string("usr/share/perl/5.36.0/TAP"),
                                        std::string("top.txt")}) {
        state().setHovered(node(relative));
        settle();
        const std::optional<TreemapStatusInfo> info = bar->info();
        ASSERT_TRUE(info);
        EXPECT_EQ(info->title.toStdString(), base + "/" + relative);
        for (const int width : {bar->width(), 420, 300}) {
            bar->resize(width, bar->height());
            const std::optional<TreemapStatusBar::Line> line = bar->line();
            ASSERT_TRUE(line);
            EXPECT_NE(line->kind, QStringLiteral("…")) << relative << " at " << width;
            EXPECT_FALSE(line->size.contains(QStringLiteral("…")));
            EXPECT_GE(line->shareRect.left(), line->sizeRect.right());
            EXPECT_LE(line->shareRect.right(), width);
            EXPECT_GE(line->sizeRect.left(), line->titleRect.right());
            if (!line->kind.isEmpty()) {
                EXPECT_GE(line->kindRect.left(), line->titleRect.right());
                EXPECT_LE(line->kindRect.right(), line->sizeRect.left());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, TreemapStatusLine, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test
