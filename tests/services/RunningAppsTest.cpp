#include "services/RunningApps.h"

#include "common/AppServiceFakes.h"
#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;

namespace {

// A bundle whose executable is a copy of sleep, started for a minute.
struct RunningFixture {
    TempFolder dir;
    std::string bundle = dir / "Example.app";
    pid_t pid = -1;

    RunningFixture() {
        makeBundle(bundle, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleExecutable", "Example"}});
        std::filesystem::create_directories(bundle + "/Contents/MacOS");
        std::filesystem::copy_file("/bin/sleep", bundle + "/Contents/MacOS/Example");
        pid = fork();
        if (pid == 0) {
            const std::string exe = bundle + "/Contents/MacOS/Example";
            execl(exe.c_str(), "Example", "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Until the child has replaced its image, /proc shows the test's executable.
        for (int i = 0; i < 500 && bundlePathOfExecutable(executable()) != bundle; ++i) std::this_thread::sleep_for(2ms);
    }
    ~RunningFixture() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string executable() const {
        char buffer[4096];
        const ssize_t n = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    // The signal that ended the child, 0 when it exited otherwise.
    int reap() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
};

} // namespace

TEST(RunningApps, BundleOfAnExecutable) {
    EXPECT_EQ(bundlePathOfExecutable("/Applications/Example.app/Contents/MacOS/Example"), "/Applications/Example.app");
    // The innermost bundle: a helper app inside another app is its own app.
    EXPECT_EQ(bundlePathOfExecutable("/A.app/Contents/Library/LoginItems/H.app/Contents/MacOS/H"),
              "/A.app/Contents/Library/LoginItems/H.app");
    EXPECT_EQ(bundlePathOfExecutable("/usr/bin/sleep"), "");
    EXPECT_EQ(bundlePathOfExecutable("/A.app/Contents/MacOS/"), "");
}

TEST(RunningApps, FindsAndTerminatesAnInstanceThroughProc) {
    RunningFixture app;
    ProcRunningApps apps;
    const auto found = apps.instances("com.example.app");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (RunningApp{app.pid, app.bundle}));
    EXPECT_TRUE(apps.instances("com.example.other").empty());

    // A process that no longer runs from that bundle is not signalled.
    EXPECT_FALSE(apps.terminate({app.pid, app.dir / "Other.app"}));
    EXPECT_TRUE(apps.terminate(found[0]));
    EXPECT_EQ(app.reap(), SIGTERM);
    EXPECT_FALSE(apps.terminate(found[0]));
}

TEST(RunningApps, QuitWatchChecksEveryQuarterSecondForAtMostTwentyRounds) {
    QObject context;
    ManualClock clock;
    int checks = 0;
    bool running = true;

    // An app that never quits: twenty waits of 250 ms, then the watch ends.
    watchForQuit(clock, &context, [&] { return running; }, [&] { ++checks; });
    clock.advance(10s);
    EXPECT_EQ(checks, 20);
    EXPECT_EQ(clock.waits(), std::vector<std::chrono::milliseconds>(20, 250ms));

    // Quits after the third check: the watch ends there.
    checks = 0;
    clock.forgetWaits();
    watchForQuit(clock, &context, [&] { return running; }, [&] { running = ++checks < 3; });
    clock.advance(10s);
    EXPECT_EQ(checks, 3);

    // Not running at all: no wait.
    clock.forgetWaits();
    watchForQuit(clock, &context, [&] { return running; }, [&] { ++checks; });
    EXPECT_TRUE(clock.waits().empty());
}
