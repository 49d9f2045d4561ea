// The built programs as a user meets them: Quit ends the main program with every
// window, from any of them; a second launch hands itself to the running copy, which
// comes forward (a minimised window restored) and scans the folder the second was
// given; the helper offers the leftovers of an AppImage moved to the Trash, and its
// windows come forward alike and take its menu's keys.
#include "ProgramFixture.h"

namespace plenwick::test {
namespace {

using ProgramRun = ProgramFixture;

TEST_F(ProgramRun, CtrlQInTheMainWindowEndsTheProgramWhileSettingsIsOpen) {
    startFirst();
    x.pressControl(mainWindow()->id, ',');
    ASSERT_TRUE(waitFor([&] { return settingsWindow().has_value(); })) << "Ctrl+, opened no settings window";

    x.pressControl(mainWindow()->id, 'q');
    EXPECT_TRUE(first.waitForFinished(15000)) << "the program still runs with its settings window open";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramRun, CtrlQInSettingsEndsTheProgramWhileTheMainWindowIsClosed) {
    startFirst();
    x.pressControl(mainWindow()->id, ',');
    ASSERT_TRUE(waitFor([&] { return settingsWindow().has_value(); }));
    x.close(mainWindow()->id);
    ASSERT_TRUE(waitFor([&] { return !mainWindow(); })) << "the main window did not close";

    x.pressControl(settingsWindow()->id, 'q');
    EXPECT_TRUE(first.waitForFinished(15000)) << "Ctrl+Q in the settings window left the program running";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramRun, ASecondLaunchRestoresAMinimisedMainWindow) {
    startFirst();
    const xcb_window_t window = mainWindow()->id;
    minimise(window);
    EXPECT_EQ(secondLaunch({}), 0);
    EXPECT_TRUE(waitFor([&] { return x.isMapped(window); })) << "the main window stayed minimised";

    // Handed a folder, it comes back as well, and scans it.
    minimise(window);
    EXPECT_EQ(secondLaunch({QString::fromStdString(folder)}), 0);
    EXPECT_TRUE(waitFor([&] { return x.isMapped(window); })) << "the main window stayed minimised";
    EXPECT_TRUE(waitFor([&] { return x.shownWindow(first.processId(), "scan me").has_value(); }));
}

TEST_F(ProgramRun, TheHelperOffersTheLeftoversOfAnAppImageMovedToTheTrash) {
    EXPECT_NE(startHelperWithLeftoverWindow().id, 0u);
    EXPECT_EQ(helper.state(), QProcess::Running);
}

TEST_F(ProgramRun, TheHelpersMinimisedWindowComesBackWhenItIsAskedForward) {
    const XWindows::Window window = startHelperWithLeftoverWindow();
    ASSERT_NE(window.id, 0u);
    minimise(window.id);
    activateHelper();
    EXPECT_TRUE(waitFor([&] { return x.isMapped(window.id); })) << "the helper's window stayed minimised";
    EXPECT_EQ(helper.state(), QProcess::Running);
}

TEST_F(ProgramRun, CtrlQInAHelperWindowEndsTheHelper) {
    const XWindows::Window window = startHelperWithLeftoverWindow();
    ASSERT_NE(window.id, 0u);
    x.pressControl(window.id, 'q');
    EXPECT_TRUE(helper.waitForFinished(15000)) << "Ctrl+Q in the helper's window left it running";
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0);
}

TEST_F(ProgramRun, TheKeysOfTheHelpersMenuWorkInItsWindows) {
    const XWindows::Window window = startHelperWithLeftoverWindow();
    ASSERT_NE(window.id, 0u);
    x.pressControl(window.id, 'l');
    EXPECT_TRUE(waitFor([&] { return x.shownWindow(helper.processId(), "Startup Items").has_value(); }))
        << "Ctrl+L in the helper's window opened no Startup Items";
}

TEST_F(ProgramRun, ASecondLaunchBringsTheFirstForwardAndHandsItItsFolder) {
    startFirst();
    const std::int64_t owner = nameOwnerPid();
    EXPECT_EQ(owner, first.processId());
    // Settings keeps the program running while its main window is closed.
    x.pressControl(mainWindow()->id, ',');
    ASSERT_TRUE(waitFor([&] { return settingsWindow().has_value(); }));
    x.close(mainWindow()->id);
    ASSERT_TRUE(waitFor([&] { return !mainWindow(); })) << "the main window did not close";

    // Launched again without a folder: the running copy shows its main window.
    EXPECT_EQ(secondLaunch({}), 0);
    EXPECT_TRUE(waitFor([&] { return mainWindow().has_value(); })) << "the running copy did not come forward";

    // Launched with a folder, named from its own working folder: the running copy scans it.
    EXPECT_EQ(secondLaunch({QStringLiteral("scan me")}, QString::fromStdString(scans.path())), 0);
    EXPECT_TRUE(waitFor([&] { return x.shownWindow(first.processId(), "scan me").has_value(); }))
        << "the running copy shows no results of the folder";
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(nameOwnerPid(), owner) << "the first copy keeps the name";
}

} // namespace
} // namespace plenwick::test
