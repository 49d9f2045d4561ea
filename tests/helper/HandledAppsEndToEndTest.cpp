// The main program moves an app to the Trash and says so on the session bus; the
// helper, watching the real Trash through the kernel, does not offer it, while an app
// dragged to the Trash without a word is offered.

#include "helper/HelperState.h"
#include "helper/InotifyFolderEvents.h"

#include "HelperFakes.h"

#include "app/UninstallServices.h"
#include "platform/Trash.h"
#include "runtime/Executor.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QTest>

using namespace plenwick;
using namespace plenwick::test;

TEST(HandledAppsEndToEnd, AnAppTheMainProgramTrashedIsNotOffered) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "libdbus is not built for the thread sanitizer and reports its own locking";
#endif
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (tools/dev test provides one)";
    HelperWorld world;
    setenv("XDG_DATA_HOME", (world.dir / "share").c_str(), 1);
    auto executor = std::make_shared<ThreadPoolExecutor>(2);

    // The helper: the kernel's events, real time, the bus.
    HelperEnvironment env = world.env;
    env.trashEvents = std::make_shared<InotifyFolderEvents>();
    env.clock = std::make_shared<TimerClock>();
    env.now = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    };
    env.uninstall.executor = nullptr; // real threads, real timers
    env.uninstall.clock = nullptr;
    env.uninstall = completedUninstallServices(env.uninstall, executor);
    env.listenForHandledApps = true;
    HelperState helper(env);
    ASSERT_EQ(helper.watcherStatus(), TrashWatcher::Status::watching);

    // The main program uninstalls one app, its leftovers kept: the real Trash, the real post.
    const std::string handled = world.makeApp(world.apps, "Handled", "com.example.handled");
    UninstallServices mainServices;
    mainServices.registry = world.registry;
    mainServices.runningApps = world.running;
    mainServices.searchRoots = env.uninstall.searchRoots;
    UninstallSession uninstall(*AppBundleInfo::read(handled), UninstallSession::Mode::uninstall,
                               completedUninstallServices(mainServices, executor));
    bool searched = false;
    uninstall.start([&] { searched = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return searched; }, 5000));
    ASSERT_FALSE(uninstall.remnants().empty());
    uninstall.selectAll(false);
    uninstall.moveToTrash();
    ASSERT_TRUE(std::filesystem::exists(world.trash + "/Handled.app"));

    // Another one is dragged to the Trash by a file manager: no word on the bus.
    const std::string dragged = world.makeApp(world.apps, "Dragged", "com.example.dragged");
    moveToTrash(dragged);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !world.windows->made.empty(); }, 10000));
    QTest::qWait(1000);
    ASSERT_EQ(world.windows->made.size(), 1u);
    EXPECT_EQ(world.windows->made[0].title, "Leftovers of Dragged");
    EXPECT_EQ(world.windows->made[0].session->app().url, world.trash + "/Dragged.app");
    unsetenv("XDG_DATA_HOME");
}
