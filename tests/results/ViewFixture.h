#pragma once
// A state on manual executors with a real root view on screen (offscreen).

#include "app/StateFixture.h"
#include "results/RootView.h"

#include <QApplication>

#include <memory>

namespace plenwick::test {

class ViewTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = std::make_unique<RootView>(*state);
        root->resize(1280, 820);
        root->show();
        QApplication::setActiveWindow(root.get());
    }
    void TearDown() override {
        root.reset();
        StateTest::TearDown();
    }
    // Scans a small tree on disk to the results screen.
    std::string scanToResults() {
        const std::string path = makeTree({{"a/one.txt", 3000}, {"a/b/two.txt", 2000}, {"c/three.dat", 1000}});
        state->startScan(path);
        runUserJobs();
        runUtilityJobs();
        return path;
    }

    std::unique_ptr<RootView> root;
};

} // namespace plenwick::test
