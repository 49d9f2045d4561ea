#include "services/RunningApps.h"

#include "common/AppServiceFakes.h"
#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
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

    RunningFixture() : RunningFixture(nullptr) {}
    // `setUp` runs in the child before the executable starts (another environment,
    // another user).
    explicit RunningFixture(std::function<void()> setUp) {
        makeBundle(bundle, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleExecutable", "Example"}});
        std::filesystem::create_directories(bundle + "/Contents/MacOS");
        std::filesystem::copy_file("/bin/sleep", bundle + "/Contents/MacOS/Example");
        ::chmod(dir.path().c_str(), 0755);
        pid = fork();
        if (pid == 0) {
            if (setUp) setUp();
            const std::string exe = bundle + "/Contents/MacOS/Example";
            execl(exe.c_str(), "Example", "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Until the child has replaced its image, /proc shows the test's executable; the
        // new image's environment shows up a little after its executable does.
        for (int i = 0; i < 500 && (bundlePathOfExecutable(executable()) != bundle || !hasEnvironment()); ++i)
            std::this_thread::sleep_for(2ms);
    }
    bool hasEnvironment() const {
        std::ifstream environ("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
        return environ.peek() != std::ifstream::traits_type::eof();
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

TEST(RunningApps, OnlyThisUsersCopiesInThisSessionAreSeenOrSignalled) {
    const char* oldBus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string keptBus = oldBus ? oldBus : "";
    const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string keptRuntime = oldRuntime ? oldRuntime : "";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/test/bus-one", 1);
    ::setenv("XDG_RUNTIME_DIR", "/run/user/test", 1);

    RunningFixture ours;
    // Another bus in the same runtime folder: one session (the helper's lock is there).
    RunningFixture sameRuntime([] { ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/test/bus-two", 1); });
    RunningFixture otherSession([] {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/other/bus", 1);
        ::setenv("XDG_RUNTIME_DIR", "/run/user/other", 1);
    });
    RunningFixture noBusOtherRuntime([] {
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::setenv("XDG_RUNTIME_DIR", "/run/user/other", 1);
    });
    std::optional<RunningFixture> otherUser;
    if (::getuid() == 0)
        otherUser.emplace([] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(nobodyID, nobodyID, nobodyID) != 0 ||
                ::setresuid(nobodyID, nobodyID, nobodyID) != 0)
                _exit(126);
        });

    ProcRunningApps apps;
    const auto found = apps.instances("com.example.app");
    std::vector<int> pids;
    for (const RunningApp& app : found) pids.push_back(app.pid);
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<int>{std::min(ours.pid, sameRuntime.pid), std::max(ours.pid, sameRuntime.pid)}));

    EXPECT_FALSE(apps.terminate({otherSession.pid, otherSession.bundle})) << "another session's copy";
    EXPECT_FALSE(apps.terminate({noBusOtherRuntime.pid, noBusOtherRuntime.bundle}));
    if (otherUser) {
        EXPECT_FALSE(apps.terminate({otherUser->pid, otherUser->bundle})) << "another user's copy";
    }
    std::this_thread::sleep_for(50ms);
    for (const RunningFixture* left : {&otherSession, &noBusOtherRuntime})
        EXPECT_EQ(::waitpid(left->pid, nullptr, WNOHANG), 0) << "still running";
    if (otherUser) {
        EXPECT_EQ(::waitpid(otherUser->pid, nullptr, WNOHANG), 0) << "still running";
    }
    EXPECT_TRUE(apps.terminate({ours.pid, ours.bundle}));
    EXPECT_EQ(ours.reap(), SIGTERM);

    if (oldBus) ::setenv("DBUS_SESSION_BUS_ADDRESS", keptBus.c_str(), 1);
    else ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (oldRuntime) ::setenv("XDG_RUNTIME_DIR", keptRuntime.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(RunningApps, LinuxAppsRunFromThemselvesTheirImageOrTheirEntrysProgram) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "Foo/bin");
    std::filesystem::copy_file("/bin/sleep", dir / "Foo/bin/foo");
    std::filesystem::copy_file("/bin/sleep", dir / "tool");
    writeFile(dir / "Bar.AppImage", "stands for an image");
    writeFile(dir / "tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + dir / "tool" + " %U\n");
    ::chmod(dir.path().c_str(), 0755);

    // A copy of sleep started as `program`, with APPIMAGE set when `image` is given.
    auto start = [](const std::string& program, const std::string& image) {
        const pid_t pid = fork();
        if (pid == 0) {
            if (!image.empty()) ::setenv("APPIMAGE", image.c_str(), 1);
            execl(program.c_str(), "app", "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500; ++i) {
            char buffer[4096];
            const ssize_t n = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buffer, sizeof buffer);
            std::ifstream environ("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
            if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == program &&
                environ.peek() != std::ifstream::traits_type::eof())
                break;
            std::this_thread::sleep_for(2ms);
        }
        return pid;
    };
    const pid_t inFolder = start(dir / "Foo/bin/foo", "");
    const pid_t fromImage = start("/bin/sleep", dir / "Bar.AppImage");
    const pid_t fromEntry = start(dir / "tool", "");

    auto app = [](const std::string& url) {
        return AppBundleInfo{url, "App", "org.example.app", std::nullopt, std::nullopt, {}, AppManager::user};
    };
    ProcRunningApps apps;
    EXPECT_EQ(apps.instancesOf(app(dir / "Foo")), (std::vector<RunningApp>{{inFolder, dir / "Foo"}}));
    EXPECT_EQ(apps.instancesOf(app(dir / "Bar.AppImage")), (std::vector<RunningApp>{{fromImage, dir / "Bar.AppImage"}}));
    EXPECT_EQ(apps.instancesOf(app(dir / "tool.desktop")), (std::vector<RunningApp>{{fromEntry, dir / "tool"}}));
    EXPECT_TRUE(apps.instancesOf(app(dir / "Other.AppImage")).empty());

    EXPECT_FALSE(apps.terminate({fromImage, dir / "Foo"})) << "not this app's process";
    for (const pid_t pid : {inFolder, fromImage, fromEntry}) {
        const auto found = std::vector<RunningApp>{{pid, pid == inFolder    ? dir / "Foo"
                                                          : pid == fromImage ? dir / "Bar.AppImage"
                                                                             : dir / "tool"}};
        EXPECT_TRUE(apps.terminate(found[0]));
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    }
}
