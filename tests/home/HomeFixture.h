#pragma once
// The home page on a state with manual executors, a path cache checking on a manual
// executor, a helper controller over a temporary $XDG_CONFIG_HOME, and a Full Disk
// Access probe that answers what the test says.

#include "app/HelperController.h"
#include "app/StateFixture.h"
#include "common/FakeHelperProcesses.h"
#include "common/TestSupport.h"
#include "home/PathPresence.h"
#include "home/VolumePickerView.h"

#include <QApplication>

#include <cstdlib>
#include <sys/stat.h>

namespace plenwick::test {

class HomeTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        paths = std::make_unique<PathPresence>(checks);
        helperProgram = bundle.path() + "/PlenwickHelper";
    }
    void TearDown() override {
        page.reset();
        helper.reset();
        paths.reset();
        ::unsetenv("XDG_CONFIG_HOME");
        StateTest::TearDown();
    }

    // `installed`: the helper program exists.
    void makeHelper(bool installed) {
        if (installed) {
            writeFile(helperProgram, "#!/bin/sh\n");
            ::chmod(helperProgram.c_str(), 0755);
        }
        processes->installed = installed;
        helper = std::make_unique<HelperController>(
            std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper", helperProgram),
            std::make_unique<FakeHelperProcesses>(processes), helperJobs, std::chrono::milliseconds(0));
    }

    HomeEnvironment environment() {
        HomeEnvironment env;
        env.paths = paths.get();
        env.helper = helper.get();
        env.systemTrayAvailable = [this] { return trayAvailable; };
        env.uninstallApp = uninstallApp;
        env.openStartupItems = openStartupItems;
        return env;
    }

    VolumePickerView& open() {
        page = std::make_unique<VolumePickerView>(*state, environment());
        page->resize(1200, 900);
        page->show();
        QApplication::setActiveWindow(page.get());
        deliver();
        return *page;
    }

    // Lists `mounted` as the machine's volumes and lets the state load them.
    void mount(std::vector<VolumeInfo> mounted) {
        volumes->mounted = std::move(mounted);
        state->refreshVolumes();
        runUserJobs();
        deliver(); // the page's layout
    }
    void runChecks() {
        checks->runAll();
        deliver();
    }
    // Leaves a retained scan of a small tree and returns home.
    std::string scanAndGoHome() {
        const std::string path = makeTree({{"a/one.txt", 3000}, {"b/two.txt", 1000}});
        state->startScan(path);
        runUserJobs();
        runUtilityJobs();
        state->goHome();
        runUserJobs();
        return path;
    }

    TempFolder config, bundle;
    std::string helperProgram;
    std::shared_ptr<ManualExecutor> checks = std::make_shared<ManualExecutor>();
    std::shared_ptr<ManualExecutor> helperJobs = std::make_shared<ManualExecutor>();
    std::shared_ptr<FakeHelperProcesses::Log> processes = std::make_shared<FakeHelperProcesses::Log>();
    std::unique_ptr<PathPresence> paths;
    std::unique_ptr<HelperController> helper;
    bool trayAvailable = true; // what the desktop says of its system tray
    std::function<void()> uninstallApp;
    std::function<void()> openStartupItems;
    std::unique_ptr<VolumePickerView> page;
};

} // namespace plenwick::test
