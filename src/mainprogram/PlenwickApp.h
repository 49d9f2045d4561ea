#pragma once
// The program: owns the one application state and the main window, made on first
// use, and hands a folder given on the command line to the state as a scan.

#include "app/AppEnvironment.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plenwick {

class AppActivation;
class AppState;
class Executor;
class HelperController;
class MainWindow;
class SettingsView;
class StartupItemsWindow;

class PlenwickApp final {
public:
    explicit PlenwickApp(std::function<AppEnvironment()> makeEnvironment = &AppEnvironment::standard);
    ~PlenwickApp();
    PlenwickApp(const PlenwickApp&) = delete;
    PlenwickApp& operator=(const PlenwickApp&) = delete;

    // The one state of the process, created the first time it is asked for.
    AppState& appState();
    // The main window, created the first time it is asked for; there is only ever one.
    MainWindow& mainWindow();
    void showMainWindow();
    // Opens the window with this identifier ("startup-items", "settings"), or brings
    // it forward when it is open already; unknown identifiers open nothing.
    void openWindow(const QString& identifier);
    // The startup-items window while it is open.
    StartupItemsWindow* startupItemsWindow() const;
    // The settings window while it is open.
    SettingsView* settingsWindow() const;
    // The controller of Plenwick Helper that the settings window shows: the program's
    // one controller, the home screen's too, unless a test gave its own before the
    // window was first opened.
    HelperController& helperController();
    void setHelperController(HelperController* helper) noexcept { helper_ = helper; }
    // Whether the desktop has a system tray for the helper's icon (tests give their own).
    void setSystemTrayAvailable(std::function<bool()> available) { trayAvailable_ = std::move(available); }
    // `arguments` as the program received them (raw bytes, program name first): a
    // first argument names a folder that is scanned at once.
    void openArguments(const std::vector<std::string>& arguments);
    // Ends the program: every window closes (the main window's scan stops with it),
    // then the event loop ends.
    void quit();
    // How the event loop is ended (tests keep theirs running).
    void setEndProcess(std::function<void()> endProcess) { endProcess_ = std::move(endProcess); }
    // Answers the session bus's requests to come forward (the helper's "Open
    // Plenwick", a second launch) by showing the main window, and requests to open a
    // folder by scanning it too; the first running copy owns the name.
    void answerActivation();

    // How a launch begins: as the program's one running copy, or handed to the copy
    // that runs already.
    enum class Launch {
        first,      // this process runs the program
        handedOff,  // the running copy took the launch (and scans its folder): end now
        unanswered, // a running copy holds the name but did not answer
    };
    // Claims the program's name on the session bus; when another copy holds it, hands
    // it the folder named by `arguments` (as openArguments reads them), or asks it to
    // come forward. Blocks until that copy answers; call it before the event loop runs.
    Launch claimOrHandOff(const std::vector<std::string>& arguments);
    static inline const QString busName = QStringLiteral("tarnwell.Plenwick");

private:
    void openSettings();
    // The main window when it is on screen, which the other windows open over.
    const QWidget* shownMainWindow() const;

    std::function<AppEnvironment()> makeEnvironment_;
    std::function<bool()> trayAvailable_;
    std::unique_ptr<AppState> state_;
    std::unique_ptr<MainWindow> window_;
    bool mainWindowPlaced_ = false;  // placed on the screen when first shown
    std::shared_ptr<Executor> startupExecutor_;
    QPointer<StartupItemsWindow> startupItems_; // deleted when closed, so it reopens fresh
    QPointer<SettingsView> settings_;           // likewise
    HelperController* helper_ = nullptr;
    std::unique_ptr<AppActivation> activation_;
    std::function<void()> endProcess_;
};

} // namespace plenwick
