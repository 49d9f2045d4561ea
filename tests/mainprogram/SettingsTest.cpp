#include "app/StateFixture.h"

#include "app/HelperController.h"
#include "common/FakeHelperProcesses.h"
#include "common/TestSupport.h"
#include "mainprogram/AppCommands.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "mainprogram/SettingsHelperLink.h"
#include "mainprogram/SettingsView.h"
#include "mainprogram/StartupItemsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

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


// A login item whose status and failure the test sets.
class ScriptedLoginItem final : public LoginItemService {
public:
    struct Script {
        LoginItemStatus status = LoginItemStatus::notRegistered;
        std::optional<std::string> failure;
    };
    explicit ScriptedLoginItem(std::shared_ptr<Script> script) : script_(std::move(script)) {}
    LoginItemStatus status() const override { return script_->status; }
    void registerItem() override {
        if (script_->failure) throw LoginItemError(*script_->failure);
        script_->status = LoginItemStatus::enabled;
    }
    void unregisterItem() override { script_->status = LoginItemStatus::notRegistered; }

private:
    std::shared_ptr<Script> script_;
};

// The program with a helper controller of the test's own over a temporary
// $XDG_CONFIG_HOME, its copies started and stopped by hand.
class SettingsHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        helperProgram = bundle.path() + "/PlenwickHelper";
        writeFile(helperProgram, "#!/bin/sh\n");
        ::chmod(helperProgram.c_str(), 0755);
    }
    void TearDown() override {
        program.reset();
        helper.reset();
        ::unsetenv("XDG_CONFIG_HOME");
    }
    // The controller waits an hour before starting the helper it registered, so that
    // only the Start button starts it here.
    void makeHelper(std::unique_ptr<LoginItemService> service) {
        helper = std::make_unique<HelperController>(std::move(service), std::make_unique<FakeHelperProcesses>(processes),
                                                    jobs, std::chrono::hours(1));
        settle();
    }
    SettingsView& openSettings() {
        program = std::make_unique<PlenwickApp>([] { return settingsEnvironment(std::make_shared<MemoryPreferences>()); });
        program->setHelperController(helper.get());
        program->setSystemTrayAvailable([this] { return trayAvailable; });
        program->openWindow(QStringLiteral("settings"));
        settle();
        return *program->settingsWindow();
    }
    void settle() {
        for (int i = 0; i < 4; ++i) {
            jobs->runAll();
            QCoreApplication::processEvents();
        }
    }
    std::string entry() const { return config.path() + "/autostart/tarnwell.Plenwick.Helper.desktop"; }

    bool trayAvailable = true; // what the desktop says of its system tray
    TempFolder config, bundle;
    std::string helperProgram;
    std::shared_ptr<ManualExecutor> jobs = std::make_shared<ManualExecutor>();
    std::shared_ptr<FakeHelperProcesses::Log> processes = std::make_shared<FakeHelperProcesses::Log>();
    std::unique_ptr<HelperController> helper;
    std::unique_ptr<PlenwickApp> program;
};

HelperRow helperRow(bool on, bool notRunning = false, std::optional<QString> error = std::nullopt,
                    bool noSystemTray = false) {
    return HelperRow{on, notRunning, std::move(error), noSystemTray};
}
HelperRow startingRow() { return HelperRow{true, false, std::nullopt, false, true}; }

TEST(HelperToggle, ShowsOneNoteAtATimeAndMovesOnlyWithItsState) {
    HelperToggle row;
    row.show();
    EXPECT_FALSE(row.isEnabled()) << "nothing to show before the first state";
    EXPECT_EQ(row.toggle()->text(), "Show Plenwick Helper in the system tray");

    // Registered but quit: on, with the not-running line and its button.
    row.setRow(helperRow(true, true));
    EXPECT_TRUE(row.isEnabled());
    EXPECT_TRUE(row.toggle()->isChecked());
    EXPECT_TRUE(row.notRunningLine()->isVisible());
    EXPECT_FALSE(row.errorLine()->isVisible());
    EXPECT_TRUE(row.notRunningLine()->findChild<QLabel*>(QStringLiteral("not-running")));
    QSignalSpy start(&row, &HelperToggle::startRequested);
    row.startButton()->click();
    EXPECT_EQ(start.count(), 1);
    row.setRow(helperRow(true));
    EXPECT_FALSE(row.notRunningLine()->isVisible()) << "gone once it runs";
    EXPECT_FALSE(row.noTrayLine()->isVisible());
    row.setRow(helperRow(true, false, std::nullopt, true));
    EXPECT_TRUE(row.noTrayLine()->isVisible()) << "no tray to show it in: said where it was turned on";
    EXPECT_EQ(row.noTrayLine()->text(), HelperToggle::noTrayText);

    // Not registered, with a failure: the switch off and the red line.
    row.setRow(helperRow(false, false, QStringLiteral("Couldn’t write the autostart entry.")));
    EXPECT_FALSE(row.toggle()->isChecked());
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
    view.helperToggle()->setRow(HelperRow{true, true, QStringLiteral("Failed.")});
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
    EXPECT_TRUE(texts.contains("System Tray Helper"));
    EXPECT_TRUE(texts.contains("Uninstalling"));
    EXPECT_TRUE(texts.contains(SettingsView::helperFooter));
    // Where Linux apps keep what is left of them; no text names a Library.
    EXPECT_TRUE(texts.contains(SettingsView::offerLeftoversFooter));
    for (const QString& text : texts) EXPECT_FALSE(text.contains("Library")) << text.toStdString();

    // The switch reads the store as the state does.
    const std::vector<std::pair<QVariant, bool>> stored{
        {QStringLiteral("False"), false}, {QStringLiteral("0"), true}, {QStringLiteral(""), true}, {QVariant(), true}};
    for (const auto& [value, on] : stored) {
        view.hide();
        preferences.setValue(QStringLiteral("offerLeftoversOnCollect"), value);
        view.show();
        EXPECT_EQ(view.offerLeftovers()->isChecked(), on) << value.toString().toStdString();
    }
}

TEST_F(SettingsHelperTest, TheRowShowsTheControllerAndAsksItForChanges) {
    makeHelper(std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper", helperProgram));
    HelperToggle& row = *openSettings().helperToggle();
    EXPECT_TRUE(row.isEnabled());
    EXPECT_EQ(row.row(), helperRow(false));

    // On: the entry is written, and through the wait before the start the row says it
    // is starting, not that it is not running.
    row.toggle()->click();
    settle();
    EXPECT_TRUE(existsNoFollow(entry()));
    EXPECT_EQ(row.row(), startingRow());
    EXPECT_TRUE(row.startingLine()->isVisible());
    EXPECT_EQ(row.startingLine()->text(), "Starting…");
    EXPECT_FALSE(row.notRunningLine()->isVisible());
    EXPECT_EQ(processes->launches, 0);
    // A copy that shows up ends it.
    processes->running = {55};
    helper->refresh();
    settle();
    EXPECT_EQ(row.row(), helperRow(true));
    EXPECT_FALSE(row.startingLine()->isVisible());

    // Where the desktop has no system tray, the row says so when it is next shown.
    trayAvailable = false;
    program->settingsWindow()->hide();
    program->settingsWindow()->show();
    settle();
    EXPECT_EQ(row.row(), helperRow(true, false, std::nullopt, true));
    EXPECT_TRUE(row.noTrayLine()->isVisible());
    // A tray that appears while the window shows: the note goes.
    trayAvailable = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !row.noTrayLine()->isVisible(); }, 2 * kTrayCheckInterval.count()));
    EXPECT_EQ(row.row(), helperRow(true));

    // The helper quit while the window was hidden: it says so when it comes back, and
    // Start starts it.
    program->settingsWindow()->hide();
    processes->running.clear();
    program->settingsWindow()->show();
    settle();
    EXPECT_EQ(row.row(), helperRow(true, true));
    EXPECT_TRUE(row.notRunningLine()->isVisible());
    row.startButton()->click();
    EXPECT_EQ(row.row(), startingRow());
    settle();
    EXPECT_EQ(processes->launches, 1);
    EXPECT_EQ(row.row(), helperRow(true)) << "the started copy is found";

    // Off: the entry goes and every running copy is asked to quit.
    processes->running = {77};
    row.toggle()->click();
    settle();
    EXPECT_FALSE(existsNoFollow(entry()));
    EXPECT_EQ(processes->terminated, std::vector<int>{77});
    EXPECT_FALSE(row.toggle()->isChecked());

    // A program that cannot be registered: the switch stays off and the failure shows.
    ::unlink(helperProgram.c_str());
    helper->refresh();
    row.toggle()->click();
    settle();
    EXPECT_FALSE(row.toggle()->isChecked());
    ASSERT_TRUE(row.row().error.has_value());
    EXPECT_TRUE(row.errorLine()->isVisible());
    EXPECT_TRUE(row.row().error->contains(QStringLiteral("PlenwickHelper"))) << row.row().error->toStdString();
}

TEST_F(SettingsHelperTest, ASessionRefusingTheLoginItemLeavesTheSwitchOffWithItsReason) {
    auto script = std::make_shared<ScriptedLoginItem::Script>();
    makeHelper(std::make_unique<ScriptedLoginItem>(script));
    HelperToggle& row = *openSettings().helperToggle();
    row.toggle()->click();
    settle();
    EXPECT_EQ(row.row(), startingRow());

    script->status = LoginItemStatus::notRegistered;
    helper->refresh();
    EXPECT_EQ(row.row(), helperRow(false));
    script->failure = "The session refused the login item.";
    row.toggle()->click();
    settle();
    EXPECT_EQ(row.row(), helperRow(false, false, QStringLiteral("The session refused the login item.")));

    // The window goes first; the controller's later changes reach nothing.
    program.reset();
    script->failure.reset();
    helper->setEnabled(true);
    settle();
}

TEST_F(SettingsHelperTest, SettingsAndStartupItemsCloseWithCtrlWAndEscape) {
    makeHelper(std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper", helperProgram));
    openSettings();
    for (const QString& identifier : {QStringLiteral("settings"), QStringLiteral("startup-items")}) {
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_W, Qt::KeyboardModifiers(Qt::ControlModifier)},
                                             std::pair{Qt::Key_Escape, Qt::KeyboardModifiers(Qt::NoModifier)}}) {
            program->openWindow(identifier);
            settle();
            QWidget* window = identifier == QStringLiteral("settings") ? static_cast<QWidget*>(program->settingsWindow())
                                                                       : program->startupItemsWindow();
            ASSERT_TRUE(window && window->isVisible()) << identifier.toStdString();
            QApplication::setActiveWindow(window);
            QTest::keyClick(window, key, modifiers);
            settle();
            const QWidget* after = identifier == QStringLiteral("settings")
                                       ? static_cast<QWidget*>(program->settingsWindow())
                                       : program->startupItemsWindow();
            EXPECT_TRUE(!after || !after->isVisible()) << identifier.toStdString() << " " << key;
        }
    }
}

// A helper controller over a temporary $XDG_CONFIG_HOME whose helper is no login item.
struct UnregisteredHelper {
    ~UnregisteredHelper() { ::unsetenv("XDG_CONFIG_HOME"); }
    TempFolder config;
    // Set before the controller first looks for its entry.
    int configured = ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    HelperController helper{std::make_unique<AutostartLoginItem>(HelperController::bundleIdentifier, "Plenwick Helper",
                                                                 config.path() + "/PlenwickHelper"),
                            std::make_unique<FakeHelperProcesses>(std::make_shared<FakeHelperProcesses::Log>()),
                            std::make_shared<ManualExecutor>()};
};

TEST(SettingsScene, TheCommandOpensOneSettingsWindow) {
    auto preferences = std::make_shared<MemoryPreferences>();
    preferences->setValue(QStringLiteral("offerLeftoversOnCollect"), false);
    UnregisteredHelper unregistered;
    HelperController& helper = unregistered.helper;
    PlenwickApp program([preferences] { return settingsEnvironment(preferences); });
    program.setHelperController(&helper);
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

TEST(ProgramQuit, QuitFromAnyWindowEndsTheProgramWithAllItsWindows) {
    UnregisteredHelper unregistered;
    HelperController& helper = unregistered.helper;
    PlenwickApp program([] { return settingsEnvironment(std::make_shared<MemoryPreferences>()); });
    program.setHelperController(&helper);
    int ended = 0;
    program.setEndProcess([&ended] { ++ended; });
    program.showMainWindow();
    program.openWindow(QStringLiteral("startup-items"));
    program.openWindow(QStringLiteral("settings"));
    QPointer<QWidget> settings(program.settingsWindow());
    QPointer<QWidget> startup(program.startupItemsWindow());
    ASSERT_TRUE(settings && startup);

    QAction* quit = program.mainWindow().commands()->quit();
    EXPECT_EQ(quit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    // Pressed in the settings window, which is in front.
    QApplication::setActiveWindow(settings);
    QTest::keySequence(settings, QKeySequence(QStringLiteral("Ctrl+Q")));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ended, 1) << "the event loop is told to end";
    EXPECT_TRUE(settings.isNull()) << "the settings window is closed";
    EXPECT_TRUE(startup.isNull()) << "the startup-items window is closed";
    EXPECT_FALSE(program.mainWindow().isVisible());
}

} // namespace
} // namespace plenwick::test
