#include "app/StateFixture.h"

#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "platform/MotionPreference.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QApplication>
#include <QDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

// Threads named by the process, the scanner's among them. Thread pools' threads are
// left out: process-wide pools (the icon cache's, Qt's own) keep idle threads for a
// while whatever the window does; the program's own pools are checked by their
// going away, which joins their threads. So is Qt's D-Bus thread, which serves the
// whole process from its first use of the session bus (following the helper's name).
std::vector<std::string> namedThreads() {
    // The thread sanitizer starts a thread of its own with the process's first other
    // thread; one thread started here makes it one of those counted before.
    static const bool sanitizerThreadStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)sanitizerThreadStarted;
    // Reading the desktop's motion setting starts Qt's D-Bus thread, which lives with the
    // process whatever the window does: started here, it counts among those before.
    static const bool motionRead = [] {
        MotionPreference::shared();
        return true;
    }();
    (void)motionRead;
    std::vector<std::string> names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name != "Thread (pooled)" && name != "QDBusConnection") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The pools of the latest program made with pooledEnvironment.
std::weak_ptr<Executor> lastUserInitiated, lastUtility;

// The program's environment with real pools, fixed volumes and no dialogs.
AppEnvironment pooledEnvironment() {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ThreadPoolExecutor>(2);
    env.utility = std::make_shared<ThreadPoolExecutor>(1);
    lastUserInitiated = env.userInitiated;
    lastUtility = env.utility;
    env.volumeSource = std::make_shared<FixedVolumes>();
    env.preferences = std::make_shared<MemoryPreferences>();
    return env;
}

// Every thread the program started is gone: its pools and the scanner's workers.
void expectNoThreadLeftBehind(const std::vector<std::string>& before) {
    EXPECT_TRUE(lastUserInitiated.expired() && lastUtility.expired()) << "the program's pools outlive it";
    EXPECT_TRUE(QTest::qWaitFor([&] { return namedThreads() == before; }))
        << "threads left: " << ::testing::PrintToString(namedThreads());
}

// A tree big enough that its scan is still running right after it starts.
std::string makeWideTree(const QTemporaryDir& dir, int folders, int filesPerFolder) {
    const std::string base = dir.path().toStdString();
    for (int f = 0; f < folders; ++f) {
        const std::string folder = base + "/d" + std::to_string(f);
        std::filesystem::create_directory(folder);
        for (int i = 0; i < filesPerFolder; ++i) std::ofstream(folder + "/f" + std::to_string(i));
    }
    return base;
}

TEST(Program, OneStateOneWindowAtItsSizes) {
    PlenwickApp program(pooledEnvironment);
    AppState& first = program.appState();
    MainWindow& window = program.mainWindow();
    EXPECT_EQ(&program.appState(), &first);
    EXPECT_EQ(&program.mainWindow(), &window);
    EXPECT_EQ(window.objectName(), "main");
    EXPECT_EQ(window.size(), QSize(1280, 820));
    EXPECT_EQ(window.minimumSize(), QSize(960, 620));
    EXPECT_EQ(window.windowTitle(), "Plenwick");
    window.resize(400, 300);
    EXPECT_EQ(window.size(), QSize(960, 620)) << "the window cannot be made smaller";
}

TEST(Program, TheFirstArgumentIsScannedAtOnce) {
    QTemporaryDir dir;
    std::ofstream(dir.path().toStdString() + "/file.txt") << "x";
    PlenwickApp program(pooledEnvironment);
    program.showMainWindow();
    program.openArguments({"Plenwick"});
    EXPECT_EQ(program.appState().phase().kind(), Kind::home);
    program.openArguments({"Plenwick", dir.path().toStdString()});
    EXPECT_EQ(program.appState().phase().kind(), Kind::scanning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.appState().phase().kind() == Kind::results; }));
    EXPECT_EQ(program.appState().root()->url(), AppState::normalizedPath(dir.path().toStdString()));
    EXPECT_EQ(program.mainWindow().rootView()->currentWidget(),
              static_cast<QWidget*>(program.mainWindow().rootView()->resultsView()));
    EXPECT_EQ(program.mainWindow().windowTitle(), QDir(dir.path()).dirName());
}

TEST(Program, ClosingTheWindowMidScanLeavesNoThreadBehind) {
    QTemporaryDir dir;
    const std::string tree = makeWideTree(dir, 100, 20);
    QApplication::processEvents();
    const std::vector<std::string> before = namedThreads();
    {
        PlenwickApp program(pooledEnvironment);
        program.showMainWindow();
        program.openArguments({"Plenwick", tree});
        ASSERT_EQ(program.appState().phase().kind(), Kind::scanning);
        program.mainWindow().close();
        EXPECT_EQ(program.appState().phase().kind(), Kind::home) << "closing the window ends the scan";
    }
    QApplication::processEvents();
    expectNoThreadLeftBehind(before);
}

TEST(Program, CancelAndASecondScanLeaveNoStaleWorkOrProgress) {
    QTemporaryDir one, two;
    const std::string first = makeWideTree(one, 100, 20);
    const std::string second = makeWideTree(two, 3, 2);
    QApplication::processEvents();
    const std::vector<std::string> before = namedThreads();
    {
        PlenwickApp program(pooledEnvironment);
        program.showMainWindow();
        AppState& state = program.appState();
        RootView* root = program.mainWindow().rootView();

        state.startScan(first);
        state.cancelScan();
        EXPECT_EQ(root->currentWidget(), root->homeScreen());
        EXPECT_EQ(root->progressScreen(), nullptr);

        state.startScan(first);
        state.startScan(second);
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.phase().kind() == Kind::results; }));
        EXPECT_EQ(state.root()->url(), AppState::normalizedPath(second));
        // The overtaken scan's late result and reports change nothing.
        static_cast<ThreadPoolExecutor&>(state.executors().userInitiated).waitForDone();
        QApplication::processEvents();
        EXPECT_EQ(state.root()->url(), AppState::normalizedPath(second));
        EXPECT_EQ(root->progressScreen(), nullptr);
        EXPECT_EQ(root->currentWidget(), static_cast<QWidget*>(root->resultsView()));
    }
    QApplication::processEvents();
    expectNoThreadLeftBehind(before);
}

} // namespace
} // namespace plenwick::test
