// The uninstaller's and the startup items' models on the program's own services.
#include "app/StartupItemsServices.h"
#include "app/UninstallServices.h"
#include "runtime/ManualExecutor.h"

#include "common/AppServiceFakes.h"
#include "common/TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace plenwick;

// The uninstaller's and the startup items' work on the program's own runner: what it
// throws ends in the model's failure path instead of leaving it searching or loading.
TEST(ModelServices, TheModelsBelowHearWhatTheirWorkThrows) {
    auto executor = std::make_shared<ManualExecutor>();
    test::TempFolder dir;
    UninstallServices services;
    auto registry = std::make_shared<test::FakeAppRegistry>();
    registry->failing.insert("com.example.app");
    services.registry = registry;
    services.searchRoots = RemnantSearchRoots::userFoldersOf(dir / "home");
    const AppBundleInfo app{dir / "Example.app", "Example", "com.example.app", std::nullopt, std::nullopt, {}};
    UninstallSession session(app, UninstallSession::Mode::uninstall, completedUninstallServices(services, executor));
    session.start();
    executor->runAll();
    QCoreApplication::processEvents();
    EXPECT_EQ(session.phase(), UninstallSession::Phase::ready());

    struct BrokenRunner final : ProgramRunner {
        ProcessResult run(const std::string&, const std::vector<std::string>&) override {
            throw std::runtime_error("The runner broke.");
        }
    } runner;
    StartupItemsModel::Environment environment = standardStartupItemsEnvironment(executor);
    environment.scanner.runner = &runner;
    StartupItemsScanner::Folders folders;
    test::writeFile(dir / "units/a.service", "[Service]\nExecStart=/bin/true\n[Install]\nWantedBy=default.target\n");
    folders.userUnits = {{dir / "units", StartupItem::Source::userAgent}};
    StartupItemsModel model(environment, folders);
    model.refresh();
    executor->runAll();
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.isLoading());
    EXPECT_TRUE(model.hasLoaded());
    EXPECT_TRUE(model.items().empty());
}
