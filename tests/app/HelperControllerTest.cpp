#include "app/HelperController.h"
#include "runtime/ManualExecutor.h"

#include "common/FakeHelperProcesses.h"
#include "common/StrictState.h"
#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace plenwick::test {
namespace {

using Field = HelperController::Field;

class HelperControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        helper = bundle.path() + "/PlenwickHelper";
        writeFile(helper, "#!/bin/sh\n");
        ::chmod(helper.c_str(), 0755);
    }
    void TearDown() override {
        controller.reset();
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void make() {
        controller = std::make_unique<HelperController>(
            std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper", helper),
            std::make_unique<FakeHelperProcesses>(processes), executor, std::chrono::milliseconds(0));
        QObject::connect(controller.get(), &HelperController::changed, [this](quint64 f) { changes.push_back(f); });
        settle();
        changes.clear();
    }
    // Runs the lookups and the delayed launch until nothing is left.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            executor->runAll();
            QCoreApplication::processEvents();
        }
    }
    std::string entry() const { return config.path() + "/autostart/tarnwell.Plenwick.Helper.desktop"; }

    TempFolder config, bundle;
    std::string helper;
    std::shared_ptr<FakeHelperProcesses::Log> processes = std::make_shared<FakeHelperProcesses::Log>();
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    std::unique_ptr<HelperController> controller;
    std::vector<quint64> changes;
};

TEST_F(HelperControllerTest, TurningOnWritesTheEntryAndStartsTheHelperAfterTheWait) {
    make();
    EXPECT_EQ(controller->status(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(controller->isRunning());

    controller->setEnabled(true);
    EXPECT_EQ(controller->status(), LoginItemStatus::enabled);
    EXPECT_TRUE(existsNoFollow(entry()));
    EXPECT_NE(readFile(entry()).find("Exec=" + helper + "\n"), std::string::npos);
    EXPECT_EQ(processes->launches, 0) << "nothing starts before the wait";
    ASSERT_EQ(changes.size(), 1u) << "one notice for the whole operation";
    EXPECT_EQ(changes[0], HelperController::bit(Field::status));

    settle();
    EXPECT_EQ(processes->launches, 1);
    EXPECT_TRUE(controller->isRunning());

    // The helper quits on its own: its exit is noticed.
    processes->running.clear();
    ASSERT_TRUE(processes->exited);
    processes->exited();
    settle();
    EXPECT_FALSE(controller->isRunning());
}

TEST_F(HelperControllerTest, ACopyStartedElsewhereIsSeenAsItStarts) {
    make();
    EXPECT_FALSE(controller->isRunning());
    // Started at login: the helper's name on the bus gets an owner.
    processes->running = {77};
    ASSERT_TRUE(processes->startedOrEnded);
    processes->startedOrEnded();
    settle();
    EXPECT_TRUE(controller->isRunning());
    EXPECT_EQ(changes, std::vector<quint64>{HelperController::bit(Field::isRunning)});

    processes->running.clear();
    processes->startedOrEnded();
    settle();
    EXPECT_FALSE(controller->isRunning());
}

TEST_F(HelperControllerTest, ARunningCopyIsNotStartedTwiceAndEveryCopyIsAskedToQuit) {
    processes->running = {41, 42};
    make();
    EXPECT_TRUE(controller->isRunning());
    controller->setEnabled(true);
    settle();
    EXPECT_EQ(processes->launches, 0);

    controller->setEnabled(false);
    EXPECT_FALSE(existsNoFollow(entry()));
    EXPECT_EQ(controller->status(), LoginItemStatus::notRegistered);
    settle();
    EXPECT_EQ(processes->terminated, (std::vector<int>{41, 42}));
    // Removing an entry that is not there is no failure.
    controller->setEnabled(false);
    EXPECT_EQ(controller->lastError(), std::nullopt);
}

TEST_F(HelperControllerTest, AMissingHelperIsNotFoundAndCannotBeTurnedOn) {
    ::unlink(helper.c_str());
    processes->installed = false;
    make();
    EXPECT_EQ(controller->status(), LoginItemStatus::notFound);

    controller->setEnabled(true);
    ASSERT_TRUE(controller->lastError().has_value());
    EXPECT_NE(controller->lastError()->find("PlenwickHelper"), std::string::npos) << *controller->lastError();
    EXPECT_FALSE(existsNoFollow(entry()));
    settle();
    EXPECT_EQ(processes->launches, 0) << "a failed registration starts no delayed launch";
    EXPECT_EQ(controller->status(), LoginItemStatus::notFound);

    // The error stays until a later switch succeeds.
    writeFile(helper, "#!/bin/sh\n");
    ::chmod(helper.c_str(), 0755);
    processes->installed = true;
    controller->setEnabled(true);
    EXPECT_EQ(controller->lastError(), std::nullopt);
    EXPECT_EQ(controller->status(), LoginItemStatus::enabled);
}

TEST_F(HelperControllerTest, RefreshTellsOnlyOfChangesAndTheNewestLookupWins) {
    make();
    controller->refresh();
    settle();
    EXPECT_TRUE(changes.empty()) << "nothing changed, nobody is told";

    // An entry written by someone else is read back.
    ::mkdir((config.path() + "/autostart").c_str(), 0700);
    writeFile(entry(), "[Desktop Entry]\nType=Application\nName=Plenwick Helper\nExec=" + helper + "\n");
    controller->refresh();
    EXPECT_EQ(controller->status(), LoginItemStatus::enabled);
    controller->refresh(); // a second lookup starts before the first answers
    processes->running.clear();
    executor->runNewest(); // the newer lookup finds nothing …
    processes->running = {7};
    executor->runOldest(); // … the older one finds a copy, and its answer arrives last
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->isRunning()) << "the newer lookup's answer counts";

    // The same wait does deliver a lone lookup's answer.
    controller->refresh();
    executor->runNewest();
    QCoreApplication::processEvents();
    EXPECT_TRUE(controller->isRunning());
}

TEST_F(HelperControllerTest, AnOperationStartedWhileItNotifiesIsReported) {
    make();
    CountedReentries reports;
    QObject::connect(controller.get(), &HelperController::changed, [this] {
        if (controller->lastError() == "first") controller->setLastError(std::string("second"));
    });
    controller->setLastError(std::string("first"));
    EXPECT_EQ(reports.count(), 1);
    EXPECT_EQ(controller->lastError(), "second");
}

} // namespace
} // namespace plenwick::test
