#include "app/StateFixture.h"

#include "mainprogram/AppCommands.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "mainprogram/StartupItemsWindow.h"
#include "startup/ui/StartupItemsView.h"

#include <QAction>
#include <QApplication>

namespace plenwick::test {
namespace {

AppEnvironment quietEnvironment() {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ManualExecutor>();
    env.utility = std::make_shared<ManualExecutor>();
    env.volumeSource = std::make_shared<FixedVolumes>();
    env.preferences = std::make_shared<MemoryPreferences>();
    return env;
}

TEST(StartupItemsScene, OneWindowThatComesForwardWithItsModel) {
    PlenwickApp program(quietEnvironment);
    EXPECT_FALSE(program.startupItemsWindow());
    program.openWindow(QStringLiteral("elsewhere"));
    EXPECT_FALSE(program.startupItemsWindow());

    // The command opens it, at its size, with a model of its own.
    QAction* command = program.mainWindow().commands()->startupItems();
    EXPECT_EQ(command->text(), "Startup Items");
    EXPECT_EQ(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+L")));
    EXPECT_TRUE(command->isEnabled());
    command->trigger();
    StartupItemsWindow* window = program.startupItemsWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), "startup-items");
    EXPECT_EQ(window->windowTitle(), "Startup Items");
    EXPECT_EQ(window->size(), QSize(760, 620));
    const StartupItemsModel* model = &window->view()->model();
    EXPECT_EQ(model->folders(), StartupItemsScanner::Folders::standard());

    // Asking again brings the same window with the same model.
    program.openWindow(QStringLiteral("startup-items"));
    EXPECT_EQ(program.startupItemsWindow(), window);
    EXPECT_EQ(&window->view()->model(), model);

    // Closed, it is gone; the next one starts afresh.
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(program.startupItemsWindow());
}

} // namespace
} // namespace plenwick::test

namespace plenwick::test {
namespace {

TEST(StartupItemsScene, QuitsFromItsWindowAndComesBackFromMinimised) {
    PlenwickApp program(quietEnvironment);
    int quits = 0;
    program.setEndProcess([&] { ++quits; });
    program.openWindow(QStringLiteral("startup-items"));
    StartupItemsWindow* window = program.startupItemsWindow();
    ASSERT_TRUE(window);
    // The main window's menu bar is not on screen while only this window is open.
    QAction* quit = program.mainWindow().commands()->quit();
    EXPECT_TRUE(window->actions().contains(quit)) << "Ctrl+Q would do nothing in this window alone";

    window->setWindowState(Qt::WindowMinimized);
    program.openWindow(QStringLiteral("startup-items"));
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized) << "brought forward, yet left minimised";

    program.mainWindow().setWindowState(Qt::WindowMinimized);
    program.showMainWindow();
    EXPECT_FALSE(program.mainWindow().windowState() & Qt::WindowMinimized);

    quit->trigger();
    EXPECT_EQ(quits, 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(program.startupItemsWindow()) << "Quit closes every window";
}

} // namespace
} // namespace plenwick::test
