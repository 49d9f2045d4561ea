// The main window at its smallest size: every screen lays out whole, nothing is cut
// off at the bottom or the sides, and the toolbar takes room only when it has
// something to show.
#include "ResultsWindowFixture.h"

#include "collector/CollectorView.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "results/ResultsView.h"
#include "results/RootView.h"
#include "results/ScanFailedView.h"

#include <QApplication>
#include <QPushButton>
#include <QToolBar>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

class SmallestWindow : public ResultsWindowTest {
protected:
    void SetUp() override {
        ResultsWindowTest::SetUp();
        window().resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
        QApplication::processEvents();
        for (int i = 0; i < 6; ++i)
            makeFiles({{"folder with a long name " + std::to_string(i) + "/file.bin", 4096 * (i + 1)}});
    }
    // The widget lies wholly inside the window and is not squeezed below what it asks.
    void expectWhole(const QWidget* widget, const char* what) {
        ASSERT_NE(widget, nullptr) << what;
        EXPECT_TRUE(widget->isVisible()) << what;
        const QRect inWindow(widget->mapTo(&window(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window().rect().contains(inWindow))
            << what << " reaches outside the window: " << inWindow.x() << "," << inWindow.y() << " "
            << inWindow.width() << "×" << inWindow.height();
        EXPECT_GE(widget->height(), widget->minimumSizeHint().height()) << what;
    }
    void expectScreenFits() {
        RootView* root = window().rootView();
        const QRect area(root->mapTo(&window(), QPoint(0, 0)), root->size());
        EXPECT_LE(area.bottom(), window().rect().bottom()) << "the screen runs below the window";
        EXPECT_GE(root->height(), root->currentWidget()->minimumSizeHint().height())
            << root->currentWidget()->metaObject()->className() << " needs more height than the window gives";
    }
};

TEST_F(SmallestWindow, HomeScanningAndFailureFitWithoutAnEmptyToolbar) {
    EXPECT_EQ(window().size(), QSize(960, 620));
    EXPECT_FALSE(window().toolbar()->isVisible()) << "the home screen without results has nothing for the toolbar";
    expectScreenFits();

    state().startScan(dir.path().toStdString());
    QApplication::processEvents();
    ASSERT_EQ(state().phase().kind(), Kind::scanning);
    EXPECT_FALSE(window().toolbar()->isVisible()) << "the scan-progress screen has nothing for the toolbar";
    expectScreenFits();
    const auto buttons = window().rootView()->progressScreen()->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    expectWhole(buttons.front(), "Cancel Scan");

    state().cancelScan();
    state().startScan(dir.path().toStdString() + "/gone");
    settle();
    ASSERT_EQ(state().phase().kind(), Kind::failed);
    EXPECT_FALSE(window().toolbar()->isVisible());
    expectScreenFits();
    expectWhole(window().rootView()->failureScreen()->tryAgainButton(), "Try Again");
}

TEST_F(SmallestWindow, ResultsShowSidebarChartInspectorAndTheCollectorBarWhole) {
    state().startScan(dir.path().toStdString());
    settle();
    ASSERT_EQ(state().phase().kind(), Kind::results);
    EXPECT_TRUE(window().toolbar()->isVisible());
    ResultsView* results = window().rootView()->resultsView();
    ASSERT_NE(results, nullptr);
    std::vector<NodeRef> items(state().root()->children().begin(), state().root()->children().end());
    state().addToCollector(items);
    settle();
    expectScreenFits();
    expectWhole(results->sidebar(), "the sidebar");
    expectWhole(results->chart(), "the chart");
    expectWhole(results->inspectorColumn(), "the inspector");
    expectWhole(results->collectorBar(), "the collector bar");
    EXPECT_EQ(results->collectorBar()->height(), CollectorView::kHeight);

    // Back on the home screen with the results kept, the toolbar offers the way back.
    state().goHome();
    settle();
    EXPECT_TRUE(window().toolbar()->isVisible());
    expectScreenFits();
}

} // namespace
} // namespace plenwick::test
