#include "mainprogram/PlenwickApp.h"

#include "app/AppState.h"
#include "app/HelperController.h"
#include "app/StartupItemsServices.h"
#include "base/PathNames.h"
#include "mainprogram/AppCommands.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/SettingsHelperLink.h"
#include "mainprogram/SettingsView.h"
#include "mainprogram/StartupItemsWindow.h"
#include "platform/AppActivation.h"
#include "runtime/GuiThread.h"
#include "shell/WindowForward.h"
#include "shell/WindowPlacement.h"

#include <QAction>
#include <QCoreApplication>
#include <QSystemTrayIcon>


namespace plenwick {

PlenwickApp::PlenwickApp(std::function<AppEnvironment()> makeEnvironment)
    : makeEnvironment_(std::move(makeEnvironment)), endProcess_([] { QCoreApplication::quit(); }) {}

void PlenwickApp::quit() {
    if (startupItems_) startupItems_->close();
    if (settings_) settings_->close();
    if (window_) window_->close();
    if (endProcess_) endProcess_();
}

PlenwickApp::~PlenwickApp() {
    activation_.reset();
    // The window goes first: nothing may observe the state while it winds down. The
    // state then stops its scan and its pools wait for their workers.
    delete startupItems_.data();
    delete settings_.data();
    window_.reset();
    state_.reset();
}

AppState& PlenwickApp::appState() {
    assertGuiThread();
    if (!state_) state_ = std::make_unique<AppState>(makeEnvironment_());
    return *state_;
}

MainWindow& PlenwickApp::mainWindow() {
    if (!window_) {
        window_ = std::make_unique<MainWindow>(appState());
        window_->commands()->setOpenWindow([this](const QString& identifier) { openWindow(identifier); });
        window_->commands()->setQuit([this] { quit(); });
    }
    return *window_;
}

void PlenwickApp::showMainWindow() {
    if (!mainWindowPlaced_) {
        placeNewWindow(mainWindow(), nullptr);
        mainWindowPlaced_ = true;
    }
    bringWindowForward(mainWindow());
}

const QWidget* PlenwickApp::shownMainWindow() const {
    return window_ && window_->isVisible() ? window_.get() : nullptr;
}

StartupItemsWindow* PlenwickApp::startupItemsWindow() const { return startupItems_.data(); }

SettingsView* PlenwickApp::settingsWindow() const { return settings_.data(); }

HelperController& PlenwickApp::helperController() { return helper_ ? *helper_ : HelperController::shared(); }

void PlenwickApp::openWindow(const QString& identifier) {
    if (identifier == QStringLiteral("settings")) {
        openSettings();
        return;
    }
    if (identifier != QStringLiteral("startup-items")) return;
    if (!startupItems_) {
        if (!startupExecutor_) startupExecutor_ = std::make_shared<ThreadPoolExecutor>(2);
        startupItems_ = new StartupItemsWindow(standardStartupItemsEnvironment(startupExecutor_));
        startupItems_->setAttribute(Qt::WA_DeleteOnClose);
        // Quit also from this window while the main window is closed.
        startupItems_->addAction(mainWindow().commands()->quit());
        placeNewWindow(*startupItems_, shownMainWindow());
    }
    bringWindowForward(*startupItems_);
}

void PlenwickApp::openSettings() {
    if (!settings_) {
        settings_ = new SettingsView(appState().preferences());
        settings_->setAttribute(Qt::WA_DeleteOnClose);
        std::function<bool()> trayAvailable = trayAvailable_;
        if (!trayAvailable) trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
        linkHelperRow(*settings_, helperController(), std::move(trayAvailable));
        settings_->addAction(mainWindow().commands()->quit());
        placeNewWindow(*settings_, shownMainWindow());
    }
    bringWindowForward(*settings_);
}

void PlenwickApp::answerActivation() {
    if (activation_) return;
    activation_ = std::make_unique<AppActivation>(busName, [this] { showMainWindow(); });
    activation_->setOpen([this](const std::vector<std::string>& paths) {
        showMainWindow();
        appState().startScan(paths.front());
    });
}

PlenwickApp::Launch PlenwickApp::claimOrHandOff(const std::vector<std::string>& arguments) {
    answerActivation();
    if (activation_->isRegistered()) return Launch::first;
    // The folder travels as an absolute path: the running copy has a working folder
    // of its own.
    std::vector<std::string> folders;
    if (arguments.size() >= 2 && !arguments[1].empty())
        if (std::optional<std::string> folder = normalizePath(arguments[1])) folders.push_back(std::move(*folder));
    switch (handOffToRunningCopy(busName, folders)) {
    case HandOff::delivered: return Launch::handedOff;
    case HandOff::unanswered: return Launch::unanswered;
    case HandOff::notRunning: break;
    }
    // The other copy ended meanwhile (or there is no bus): this one runs, owning the
    // name if it is free now.
    activation_.reset();
    answerActivation();
    return Launch::first;
}

void PlenwickApp::openArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2 || arguments[1].empty()) return;
    appState().startScan(arguments[1]);
}

} // namespace plenwick
