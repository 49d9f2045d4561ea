#include "app/StateFixture.h"

#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/PlenwickApp.h"
#include "app/ui/SettingsView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>

namespace plenwick::test {
namespace {

AppEnvironment settingsEnvironment(std::shared_ptr<MemoryPreferences> preferences) {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ManualExecutor>();
    env.utility = std::make_shared<ManualExecutor>();
    env.volumeSource = std::make_shared<FixedVolumes>();
    env.preferences = std::move(preferences);
    return env;
}

HelperRow helperRow(bool on, bool awaitingApproval = false, bool notRunning = false,
                    std::optional<QString> error = std::nullopt) {
    return HelperRow{on, awaitingApproval, notRunning, std::move(error)};
}

TEST(HelperToggle, ShowsOneNoteAtATimeAndMovesOnlyWithItsState) {
    HelperToggle row;
    row.show();
    EXPECT_FALSE(row.isEnabled()) << "nothing to show before the first state";
    EXPECT_EQ(row.toggle()->text(), "Show Plenwick Helper in the menu bar");

    // Waiting for approval: on, with the approval line and not the not-running one.
    row.setRow(helperRow(true, true, true));
    EXPECT_TRUE(row.isEnabled());
    EXPECT_TRUE(row.toggle()->isChecked());
    EXPECT_TRUE(row.approvalLine()->isVisible());
    EXPECT_FALSE(row.notRunningLine()->isVisible());
    EXPECT_FALSE(row.errorLine()->isVisible());
    EXPECT_EQ(row.openLoginItemsButton()->text(), "Open Login Items…");
    QSignalSpy openLoginItems(&row, &HelperToggle::openLoginItemsRequested);
    row.openLoginItemsButton()->click();
    EXPECT_EQ(openLoginItems.count(), 1);

    // Registered but quit: the not-running line with its button.
    row.setRow(helperRow(true, false, true));
    EXPECT_FALSE(row.approvalLine()->isVisible());
    EXPECT_TRUE(row.notRunningLine()->isVisible());
    EXPECT_TRUE(row.notRunningLine()->findChild<QLabel*>(QStringLiteral("not-running")));
    QSignalSpy start(&row, &HelperToggle::startRequested);
    row.startButton()->click();
    EXPECT_EQ(start.count(), 1);
    row.setRow(helperRow(true));
    EXPECT_FALSE(row.notRunningLine()->isVisible()) << "gone once it runs";

    // Not registered, with a failure: the switch off and the red line.
    row.setRow(helperRow(false, false, false, QStringLiteral("Couldn’t write the autostart entry.")));
    EXPECT_FALSE(row.toggle()->isChecked());
    EXPECT_FALSE(row.approvalLine()->isVisible());
    EXPECT_FALSE(row.notRunningLine()->isVisible());
    EXPECT_TRUE(row.errorLine()->isVisible());
    EXPECT_EQ(row.errorLine()->text(), "Couldn’t write the autostart entry.");

    // Flipping asks, and the switch waits for the answer.
    QSignalSpy switched(&row, &HelperToggle::switched);
    row.toggle()->click();
    ASSERT_EQ(switched.count(), 1);
    EXPECT_TRUE(switched.at(0).at(0).toBool());
    EXPECT_FALSE(row.toggle()->isChecked());
    row.setRow(helperRow(true));
    EXPECT_TRUE(row.toggle()->isChecked());
    EXPECT_FALSE(row.errorLine()->isVisible());
}

TEST(SettingsView, TheLeftoversSwitchIsTheStoredPreferenceOnByDefault) {
    MemoryPreferences preferences;
    SettingsView view(preferences);
    QSignalSpy appeared(&view, &SettingsView::appeared);
    view.show();
    EXPECT_EQ(appeared.count(), 1) << "the helper's state is read when the window appears";
    EXPECT_EQ(view.width(), 480);
    EXPECT_EQ(view.height(), view.layout()->totalHeightForWidth(480));
    const int withoutNotes = view.height();
    view.helperToggle()->setRow(HelperRow{true, false, true, QStringLiteral("Failed.")});
    QApplication::sendPostedEvents();
    EXPECT_GT(view.height(), withoutNotes) << "the window grows with the row's notes";
    EXPECT_EQ(view.offerLeftovers()->text(), "Offer to find leftovers when an app is collected or trashed");
    EXPECT_TRUE(view.offerLeftovers()->isChecked()) << "no value stored yet";

    view.offerLeftovers()->click();
    EXPECT_EQ(preferences.value(QStringLiteral("offerLeftoversOnCollect"), {}), QVariant(false));

    // Changed elsewhere while hidden: shown as stored when the window comes back.
    view.hide();
    preferences.setValue(QStringLiteral("offerLeftoversOnCollect"), true);
    view.show();
    EXPECT_TRUE(view.offerLeftovers()->isChecked());
    EXPECT_EQ(appeared.count(), 2);

    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("Menu Bar Helper"));
    EXPECT_TRUE(texts.contains("Uninstalling"));
    EXPECT_TRUE(texts.contains(SettingsView::helperFooter));
}

TEST(SettingsScene, TheCommandOpensOneSettingsWindow) {
    auto preferences = std::make_shared<MemoryPreferences>();
    preferences->setValue(QStringLiteral("offerLeftoversOnCollect"), false);
    PlenwickApp program([preferences] { return settingsEnvironment(preferences); });
    EXPECT_FALSE(program.settingsWindow());

    QAction* command = program.mainWindow().commands()->settings();
    EXPECT_EQ(command->text(), "Settings…");
    EXPECT_EQ(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
    EXPECT_EQ(command->menuRole(), QAction::PreferencesRole);
    command->trigger();
    SettingsView* window = program.settingsWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "settings");
    EXPECT_FALSE(window->offerLeftovers()->isChecked()) << "the program's own store";

    program.openWindow(QStringLiteral("settings"));
    EXPECT_EQ(program.settingsWindow(), window) << "brought forward, not made twice";

    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(program.settingsWindow());
}

} // namespace
} // namespace plenwick::test
