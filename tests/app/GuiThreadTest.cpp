// The GUI-thread check is on in every build: a state operation called from another
// thread stops the program with a message naming the operation.
#include "StateFixture.h"

#include <thread>

using namespace plenwick;
using namespace plenwick::test;

using GuiThreadDeathTest = StateTest;

TEST_F(GuiThreadDeathTest, AStateOperationOffTheGuiThreadAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    makeState();
    EXPECT_DEATH(std::thread([this] { state->setShowInspector(false); }).join(),
                 "AppState::setShowInspector.* called off the GUI thread");
    EXPECT_DEATH(std::thread([this] { state->refreshVolumes(); }).join(),
                 "AppState::refreshVolumes.* called off the GUI thread");
    // On the GUI thread nothing happens.
    state->setShowInspector(false);
    EXPECT_FALSE(state->showInspector());
}
