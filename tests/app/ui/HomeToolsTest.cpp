#include "app/StateFixture.h"

#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/PlenwickApp.h"
#include "app/ui/StartupItemsWindow.h"
#include "home/ToolCards.h"
#include "home/VolumePickerView.h"
#include "results/RootView.h"

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

TEST(HomeTools, TheToolCardsRunTheMenuCommands) {
    PlenwickApp program(quietEnvironment);
    MainWindow& window = program.mainWindow();
    int chosen = 0;
    window.commands()->setAppChooser([&](QWidget*) {
        ++chosen;
        return std::optional<std::string>(); // cancelled
    });
    auto* home = qobject_cast<VolumePickerView*>(window.rootView()->homeScreen());
    ASSERT_NE(home, nullptr);
    ASSERT_EQ(home->toolCards().size(), 2u);
    EXPECT_EQ(home->toolCards()[0]->content().title, "Uninstall an App");
    home->toolCards()[0]->click();
    EXPECT_EQ(chosen, 1) << "the app is chosen as the menu command does";
    EXPECT_EQ(program.appState().uninstallSession(), nullptr) << "cancelling the choice does nothing";

    EXPECT_EQ(home->toolCards()[1]->content().title, "Startup Items");
    home->toolCards()[1]->click();
    ASSERT_NE(program.startupItemsWindow(), nullptr);
    program.startupItemsWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace plenwick::test
