#include "ViewFixture.h"

#include "results/BreadcrumbBar.h"
#include "results/ResultsTexts.h"
#include "results/ResultsToolbar.h"
#include "results/ResultsView.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QToolButton>

namespace plenwick::test {
namespace {

TEST(ResultsTexts, TitleAndSubtitleFollowTheRoot) {
    EXPECT_EQ(resultsTitle(nullptr, {}), "Plenwick");
    EXPECT_EQ(resultsSubtitle(nullptr), "");
    NodeRef one = folder("/tmp/single", {file("only.txt", 4096)});
    EXPECT_EQ(resultsTitle(one.get(), {}), "single");
    EXPECT_EQ(resultsSubtitle(one.get()), QString::fromStdString("4 KB") + " · 1 file");
    NodeRef two = folder("/tmp/two", {file("a.txt", 4096), file("b.txt", 4096)});
    EXPECT_EQ(resultsSubtitle(two.get()), QString::fromStdString("8 KB") + " · 2 files");
    NodeRef empty = FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0);
    EXPECT_EQ(backToResultsTitle(*empty, {}), "Back to “/”");
}

TEST(ResultsTexts, HelpTextsNameTheShortcutInTheDesktopsSpelling) {
    EXPECT_EQ(helpWithShortcut("Scan again", "Ctrl+R"), "Scan again (Ctrl+R)");
    EXPECT_EQ(helpWithShortcut("Back", "Ctrl+["), "Back (Ctrl+[)");
}

class ResultsViewTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        scanToResults();
        view = root->resultsView();
        ASSERT_NE(view, nullptr);
        toolbar = root->resultsToolbar();
    }
    ResultsView* view = nullptr;
    ResultsToolbar* toolbar = nullptr;
};

TEST_F(ResultsViewTest, LayoutHoldsEveryPaneAtItsWidth) {
    EXPECT_EQ(view->sidebar()->width(), ResultsView::kSidebarIdeal);
    EXPECT_EQ(view->inspectorColumn()->width(), ResultsView::kInspectorDefaultWidth);
    EXPECT_EQ(view->breadcrumbBar()->height(), 30);
    EXPECT_GT(view->chart()->height(), 600);
    EXPECT_EQ(view->chart()->width(), view->breadcrumbBar()->width());
    EXPECT_EQ(view->collectorBar()->width(), view->chart()->width());
}

TEST_F(ResultsViewTest, SubtitleShowsTheRootsTotals) {
    const NodeRef& r = state->root();
    EXPECT_EQ(toolbar->subtitleLabel()->text(), resultsSubtitle(r.get()));
    EXPECT_TRUE(toolbar->subtitleLabel()->text().endsWith(" · 3 files"));
}

TEST_F(ResultsViewTest, ChartFollowsTheVisualizationPicker) {
    EXPECT_EQ(view->chart()->objectName(), "SunburstView");
    EXPECT_TRUE(toolbar->sunburstButton()->isChecked());
    toolbar->treemapButton()->click();
    EXPECT_EQ(state->visualization(), Visualization::treemap);
    EXPECT_TRUE(view->chart()->inherits("plenwick::TreemapView"));
    EXPECT_TRUE(toolbar->treemapButton()->isChecked());
    EXPECT_FALSE(toolbar->sunburstButton()->isChecked());
}

TEST_F(ResultsViewTest, ColorsMenuStoresTheModeAndMarksIt) {
    QAction* byExtension = nullptr;
    for (QAction* a : toolbar->colorsMenu()->actions())
        if (a->text() == "By Extension") byExtension = a;
    ASSERT_NE(byExtension, nullptr);
    byExtension->trigger();
    EXPECT_EQ(state->colorMode(), ColorMode::byType);
    EXPECT_TRUE(byExtension->isChecked());
    EXPECT_EQ(toolbar->colorsButton()->text(), "By Extension");
}

TEST_F(ResultsViewTest, ChartPickerStaysInTheMiddleWhateverTheColourModeSays) {
    ResultsToolbar row(*state);
    row.resize(1280, 30);
    row.show();
    QWidget* picker = row.sunburstButton()->parentWidget();
    auto pickerCentre = [&] {
        QApplication::processEvents();
        return picker->geometry().center().x();
    };
    const int centre = pickerCentre();
    EXPECT_NEAR(centre, row.width() / 2, 2);
    for (ColorMode mode : {ColorMode::byType, ColorMode::byKind, ColorMode::byFolder}) {
        state->setColorMode(mode);
        EXPECT_EQ(pickerCentre(), centre) << "the picker moved as the colour-mode label changed width";
    }
    // Also at the window's smallest width.
    row.resize(960, 30);
    EXPECT_NEAR(pickerCentre(), row.width() / 2, 2);
}

TEST_F(ResultsViewTest, EnclosingFolderFollowsTheFocus) {
    EXPECT_FALSE(toolbar->enclosingButton()->isEnabled()) << "the root has no enclosing folder";
    const NodeRef a = child(state->root(), "a");
    state->navigate(a);
    EXPECT_TRUE(toolbar->enclosingButton()->isEnabled());
    toolbar->enclosingButton()->click();
    EXPECT_EQ(state->focus(), state->root());
    EXPECT_EQ(state->navigationHistory().back(), a);
}

TEST_F(ResultsViewTest, InspectorSlidesOutAndBack) {
    QToolButton* toggle = toolbar->inspectorButton();
    EXPECT_EQ(toggle->text(), "Hide Inspector");
    EXPECT_EQ(toggle->toolTip(), "Hide the inspector (Ctrl+Alt+I)");
    toggle->click();
    EXPECT_FALSE(state->showInspector());
    EXPECT_EQ(toggle->text(), "Show Inspector");
    EXPECT_TRUE(view->isInspectorSliding());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->inspectorColumn()->isVisible(); }));
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const int widened = view->chart()->width();
    EXPECT_EQ(widened, view->width() - view->sidebar()->width() - 1);

    toggle->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isInspectorSliding(); }));
    EXPECT_TRUE(view->inspectorColumn()->isVisible());
    EXPECT_EQ(view->inspectorColumn()->width(), ResultsView::kInspectorDefaultWidth);
}

TEST_F(ResultsViewTest, RescanButtonScansTheRootAgain) {
    const std::string path = state->root()->url();
    toolbar->rescanButton()->click();
    EXPECT_EQ(state->phase().kind(), AppState::Phase::Kind::scanning);
    EXPECT_EQ(state->scanTarget(), path);
}

// Drags the handle between the sidebar and the rest by `dx` pixels.
void dragSidebarHandle(ResultsView& view, int dx) {
    QSplitterHandle* handle = view.sidebarSplitter()->handle(1);
    const QPoint from = handle->rect().center();
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(dx, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPoint(dx, 0), Qt::NoButton);
}

TEST_F(ResultsViewTest, TheSidebarKeepsTheWidthTheUserSetsAcrossScansAndRestarts) {
    const QString key = ResultsView::sidebarWidth().key;
    auto settle = [&] {
        runUserJobs();
        runUtilityJobs();
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        view = root->resultsView();
        ASSERT_NE(view, nullptr);
    };
    dragSidebarHandle(*view, 80);
    const int dragged = view->sidebar()->width();
    EXPECT_GT(dragged, ResultsView::kSidebarIdeal + 70);
    EXPECT_EQ(state->preferences().value(key).toInt(), dragged);

    // A rescan builds a new screen for the new tree: it comes at the same width.
    const ResultsView* before = view;
    toolbar->rescanButton()->click();
    settle();
    ASSERT_NE(view, before);
    EXPECT_EQ(view->sidebar()->width(), dragged);
    // So does a scan of another folder.
    state->startScan(makeTree({{"x/y.txt", 100}}));
    settle();
    EXPECT_EQ(view->sidebar()->width(), dragged);

    // Dragged past either end, the width stops there and is kept so.
    dragSidebarHandle(*view, 1000);
    EXPECT_EQ(view->sidebar()->width(), ResultsView::kSidebarMaximum);
    EXPECT_EQ(state->preferences().value(key).toInt(), ResultsView::kSidebarMaximum);
    dragSidebarHandle(*view, -1000);
    EXPECT_EQ(view->sidebar()->width(), ResultsView::kSidebarMinimum);
    EXPECT_EQ(state->preferences().value(key).toInt(), ResultsView::kSidebarMinimum);

    // A restart reads the stored width, clamped; what is not a width gives the ideal.
    for (const auto& [stored, shown] : {std::pair<QVariant, int>{QVariant(333.0), 333},
                                        {QVariant(QStringLiteral("300")), 300},
                                        {QVariant(5000.0), ResultsView::kSidebarMaximum},
                                        {QVariant(10.0), ResultsView::kSidebarMinimum},
                                        {QVariant(QStringLiteral("wide")), ResultsView::kSidebarIdeal}}) {
        state->preferences().setValue(key, stored);
        root = std::make_unique<RootView>(*state);
        root->resize(1280, 820);
        root->show();
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        view = root->resultsView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->sidebar()->width(), shown) << stored.toString().toStdString();
    }
}

TEST(Breadcrumbs, TrailRunsFromTheRootToTheFocus) {
    NodeRef tree = folder("/r", {folder("a", {folder("b", {file("f", 1)})})});
    EXPECT_TRUE(breadcrumbTrail(NodeRef()).empty());
    const NodeRef b = child(child(tree, "a"), "b");
    const std::vector<NodeRef> trail = breadcrumbTrail(b);
    ASSERT_EQ(trail.size(), 3u);
    EXPECT_EQ(trail[0], tree);
    EXPECT_EQ(trail[2], b);
}

TEST_F(ResultsViewTest, CrumbsAndHistoryButtonsNavigate) {
    BreadcrumbBar* bar = view->breadcrumbBar();
    ASSERT_EQ(bar->crumbButtons().size(), 1u);
    EXPECT_EQ(bar->crumbButtons()[0]->font().weight(), QFont::DemiBold);
    EXPECT_FALSE(bar->backButton()->isEnabled());
    EXPECT_FALSE(bar->forwardButton()->isEnabled());
    EXPECT_FALSE(bar->rescanIndicator()->isVisibleTo(bar));

    const NodeRef b = child(child(state->root(), "a"), "b");
    state->navigate(b);
    ASSERT_EQ(bar->crumbButtons().size(), 3u);
    EXPECT_EQ(bar->crumbButtons()[1]->text(), "a");
    EXPECT_EQ(bar->crumbButtons()[2]->text(), "b");
    EXPECT_EQ(bar->crumbButtons()[0]->font().weight(), QFont::Normal);

    // Clicking the root crumb zooms out and records the way back.
    QTest::mouseClick(bar->crumbButtons()[0], Qt::LeftButton);
    EXPECT_EQ(state->focus(), state->root());
    EXPECT_TRUE(bar->backButton()->isEnabled());
    QTest::mouseClick(bar->backButton(), Qt::LeftButton);
    EXPECT_EQ(state->focus(), b);
    EXPECT_TRUE(bar->forwardButton()->isEnabled());
    QTest::mouseClick(bar->forwardButton(), Qt::LeftButton);
    EXPECT_EQ(state->focus(), state->root());

    // Clicking the focus crumb changes nothing.
    const auto history = state->navigationHistory();
    QTest::mouseClick(bar->crumbButtons().back(), Qt::LeftButton);
    EXPECT_EQ(state->navigationHistory(), history);
}

} // namespace
} // namespace plenwick::test
