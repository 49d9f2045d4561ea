// Settings and Startup Items open over the main window, whole on the screen.
#include "ResultsWindowFixture.h"

#include "mainprogram/SettingsView.h"
#include "mainprogram/StartupItemsWindow.h"

#include <QScreen>

namespace plenwick::test {
namespace {

class WindowsOnScreen : public ResultsWindowTest {};

TEST_F(WindowsOnScreen, SettingsAndStartupItemsOpenOverTheMainWindowWholeOnTheScreen) {
    const QRect screen = window().screen()->availableGeometry();
    window().resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    for (const QPoint at : {QPoint(-300, 100), QPoint(0, 0), screen.bottomRight() - QPoint(200, 200)}) {
        window().move(at);
        QApplication::processEvents();
        program->openWindow(QStringLiteral("settings"));
        program->openWindow(QStringLiteral("startup-items"));
        QApplication::processEvents();
        const QRect main = window().frameGeometry();
        for (QWidget* opened : {static_cast<QWidget*>(program->settingsWindow()),
                                static_cast<QWidget*>(program->startupItemsWindow())}) {
            ASSERT_NE(opened, nullptr);
            ASSERT_TRUE(opened->isVisible());
            const QRect frame = opened->frameGeometry();
            EXPECT_TRUE(screen.contains(frame)) << opened->objectName().toStdString() << " at " << at.x() << ","
                                                << at.y();
            // Centred on the main window where the screen leaves room for it.
            QRect centred(QPoint(), frame.size());
            centred.moveCenter(main.center());
            if (screen.contains(centred)) {
                EXPECT_EQ(frame, centred) << opened->objectName().toStdString();
            }
        }
        // Closed, they open afresh where the main window now is.
        program->settingsWindow()->close();
        program->startupItemsWindow()->close();
        QApplication::processEvents();
    }
}

} // namespace
} // namespace plenwick::test
