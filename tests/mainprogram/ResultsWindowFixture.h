#pragma once
// The real main window offscreen, at a chosen size, scanning a tree made on disk:
// what the views show as a user sees them.

#include "app/StateFixture.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace plenwick::test {

class ResultsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = std::make_unique<PlenwickApp>([this] {
            AppEnvironment env;
            env.userInitiated = user;
            env.utility = utility;
            env.volumeSource = volumes;
            env.preferences = std::make_shared<MemoryPreferences>();
            return env;
        });
        program->showMainWindow();
    }
    void TearDown() override {
        program.reset();
        QApplication::processEvents();
    }
    MainWindow& window() { return program->mainWindow(); }
    AppState& state() { return program->appState(); }
    ResultsView* results() { return window().rootView()->resultsView(); }
    void resizeWindow(QSize size) {
        window().resize(size);
        settle();
    }
    void settle() {
        for (int i = 0; i < 3; ++i) {
            user->runAll();
            utility->runAll();
            QApplication::processEvents();
        }
    }
    // Files (relative paths, sizes) made under the test's folder, folders on the way.
    std::string makeFiles(const std::vector<std::pair<std::string, std::size_t>>& files) {
        const std::string base = dir.path().toStdString();
        for (const auto& [relative, size] : files) {
            const std::filesystem::path path = base + "/" + relative;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << std::string(size, 'x');
        }
        return base;
    }
    void scan(const std::string& path) {
        state().startScan(path);
        settle();
    }
    // The node at `relative` below the root.
    NodeRef node(const std::string& relative) { return state().nodeForURL(dir.path().toStdString() + "/" + relative); }

    // The scanned folder lies on a volume, as on a real machine: the inspector shows
    // its disk-usage card.
    std::shared_ptr<FixedVolumes> volumes = [] {
        auto v = std::make_shared<FixedVolumes>();
        v->holder = volume("/", "Test Disk", 100'000'000'000, 40'000'000'000);
        return v;
    }();
    std::shared_ptr<ManualExecutor> user = std::make_shared<ManualExecutor>();
    std::shared_ptr<ManualExecutor> utility = std::make_shared<ManualExecutor>();
    QTemporaryDir dir;
    std::unique_ptr<PlenwickApp> program;
};

} // namespace plenwick::test
