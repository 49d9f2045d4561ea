// The engines on the real application state: the adapter and the slice driver.
#include "TreemapFixture.h"

#include "app/AppState.h"
#include "chartviews/AppStateChartState.h"
#include "chartviews/TreemapLayoutDriver.h"
#include "runtime/ManualExecutor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class ChartsOnAppState : public ::testing::Test {
protected:
    void SetUp() override {
        AppEnvironment env;
        env.userInitiated = std::make_shared<ManualExecutor>();
        env.utility = std::make_shared<ManualExecutor>();
        env.volumeSource = std::make_shared<NoVolumes>();
        env.preferences = std::make_shared<MemoryPreferences>();
        state = std::make_unique<AppState>(std::move(env));
        charts = std::make_unique<AppStateChartState>(*state);
        root = folder("/scan", files(3000, 10));
        FileTypeStat stat;
        stat.rgb = {0.9, 0.1, 0.1};
        stat.size = 30000;
        stat.count = 3000;
        state->finishScan(root, {stat});
    }
    void TearDown() override {
        charts.reset();
        state.reset();
        QCoreApplication::processEvents();
    }

    // Runs a build through the driver's event-loop slices.
    std::optional<TreemapLayout> build(const std::function<void()>& meanwhile = {}) {
        TreemapLayoutDriver driver;
        QEventLoop loop;
        std::optional<TreemapLayout> result;
        bool done = false;
        driver.start(std::make_unique<TreemapLayoutJob>(state->focus(), *charts, TreemapLayoutEngine::Options{},
                                                        TreemapSize{800, 600}, 500),
                     [&](std::optional<TreemapLayout> layout) {
                         result = std::move(layout);
                         done = true;
                         loop.quit();
                     });
        EXPECT_TRUE(driver.isRunning());
        if (meanwhile) QTimer::singleShot(0, meanwhile);
        if (!done) loop.exec();
        EXPECT_FALSE(driver.isRunning());
        return result;
    }

    std::unique_ptr<AppState> state;
    std::unique_ptr<AppStateChartState> charts;
    NodeRef root;
};

} // namespace

TEST_F(ChartsOnAppState, ReadsTheStateAndFollowsItsExtensionColours) {
    EXPECT_EQ(charts->extensionColorsVersion(), 1); // the finished scan brought colours
    EXPECT_EQ(charts->color(*root->children()[0]), state->color(*root->children()[0]));
    FileTypeStat other;
    other.rgb = {0.1, 0.9, 0.1};
    state->statsUpdates().apply({other});
    EXPECT_EQ(charts->extensionColorsVersion(), 2);
}

TEST_F(ChartsOnAppState, DriverRunsSlicesAndDropsStaleBuilds) {
    const auto layout = build();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->cells.size(), 3001u);

    EXPECT_FALSE(build([&] { state->setColorMode(ColorMode::byType); }));

    TreemapLayoutDriver driver;
    bool called = false;
    std::optional<TreemapLayout> result;
    driver.start(std::make_unique<TreemapLayoutJob>(state->focus(), *charts, TreemapLayoutEngine::Options{},
                                                    TreemapSize{800, 600}, 500),
                 [&](std::optional<TreemapLayout> l) {
                     called = true;
                     result = std::move(l);
                 });
    driver.cancel();
    QEventLoop loop;
    while (driver.isRunning()) loop.processEvents();
    EXPECT_TRUE(called);
    EXPECT_FALSE(result);
}
