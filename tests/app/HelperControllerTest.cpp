#include "app/HelperController.h"
#include "runtime/ManualExecutor.h"

#include "common/FakeHelperProcesses.h"
#include "common/PlistFixtures.h"
#include "common/StrictState.h"
#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    EXPECT_EQ(changes[0], HelperController::bit(Field::status) | HelperController::bit(Field::isStarting));
    EXPECT_TRUE(controller->isStarting()) << "from the switch on, through the wait";

    settle();
    EXPECT_EQ(processes->launches, 1);
    EXPECT_TRUE(controller->isRunning());
    EXPECT_FALSE(controller->isStarting()) << "it runs";

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

// A copy of the helper (the idle stand-in) in a bundle of its own, and one started
// in another login session of this user: another session bus and runtime folder in
// its environment.
class RealHelperCopies : public HelperControllerTest {
protected:
    void SetUp() override {
        HelperControllerTest::SetUp();
        // A session of the test's own, so that no other test's helper counts as ours.
        for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
            if (const char* value = std::getenv(name)) kept[name] = value;
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + bundle / "bus").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (bundle / "run").c_str(), 1);
        const std::string app = bundle / "PlenwickHelper.app";
        makeBundle(app, {{"CFBundleIdentifier", HelperController::bundleIdentifier}});
        std::filesystem::create_directories(app + "/Contents/MacOS");
        executable = app + "/Contents/MacOS/PlenwickHelper";
        std::filesystem::copy_file(PLENWICK_IDLE_PROGRAM, executable);
        otherSession = ::fork();
        if (otherSession == 0) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/other-session/bus", 1);
            ::setenv("XDG_RUNTIME_DIR", "/run/user/other-session", 1);
            ::execl(executable.c_str(), "PlenwickHelper", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ProcRunningApps apps;
        const auto started = [&] {
            for (const RunningApp& copy : apps.instances(HelperController::bundleIdentifier))
                if (copy.pid == otherSession) return true;
            return false;
        };
        // Until the child runs the copy, /proc shows the test's executable.
        for (int i = 0; i < 500 && bundlePathOfExecutable(executableOf(otherSession)) != app; ++i) QTest::qWait(2);
        ASSERT_FALSE(started()) << "another session's copy is not ours";
    }
    void TearDown() override {
        controller.reset();
        for (const RunningApp& copy : ProcRunningApps().instances(HelperController::bundleIdentifier))
            if (copy.bundlePath == bundle / "PlenwickHelper.app") ::kill(copy.pid, SIGKILL);
        if (otherSession > 0) {
            ::kill(otherSession, SIGKILL);
            ::waitpid(otherSession, nullptr, 0);
        }
        for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"}) {
            if (kept.count(name)) ::setenv(name, kept[name].c_str(), 1);
            else ::unsetenv(name);
        }
        HelperControllerTest::TearDown();
    }
    static std::string executableOf(pid_t pid) {
        char buffer[4096];
        const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    void makeWithTheSystemsProcesses() {
        controller = std::make_unique<HelperController>(
            std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper", executable),
            makeSystemHelperProcesses(std::make_shared<ProcRunningApps>(), executable), executor,
            std::chrono::milliseconds(0));
        settle();
    }
    // Looks again until the controller sees `running`.
    bool becomesRunning(bool running) {
        return QTest::qWaitFor(
            [&] {
                controller->refresh();
                settle();
                return controller->isRunning() == running;
            },
            10000);
    }

    std::string executable;
    pid_t otherSession = -1;
    std::map<std::string, std::string> kept; // the environment before the test
};

TEST_F(RealHelperCopies, TurningOnStartsOursBesideAnotherSessionsAndTurningOffEndsOnlyOurs) {
    makeWithTheSystemsProcesses();
    EXPECT_FALSE(controller->isRunning()) << "the other session's copy doesn't count";

    controller->setEnabled(true);
    settle();
    ASSERT_TRUE(becomesRunning(true)) << "our own copy was started";
    const auto ours = ProcRunningApps().instances(HelperController::bundleIdentifier);
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_NE(ours[0].pid, otherSession);

    controller->setEnabled(false);
    settle();
    EXPECT_TRUE(becomesRunning(false)) << "our copy was asked to quit";
    EXPECT_EQ(::waitpid(otherSession, nullptr, WNOHANG), 0) << "the other session's copy still runs";
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
