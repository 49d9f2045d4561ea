#include "helper/PlenwickHelperApp.h"

#include "helper/HelperIcon.h"
#include "helper/HelperMenu.h"
#include "helper/InotifyFolderEvents.h"
#include "helper/MainProgramLink.h"
#include "helper/ProcessExits.h"
#include "helper/TrayAbsence.h"
#include "helper/WindowPresenter.h"

#include "app/StartupItemsServices.h"
#include "app/UninstallServices.h"
#include "base/HomeDirectory.h"
#include "platform/AppActivation.h"
#include "platform/MainBundle.h"
#include "runtime/Executor.h"
#include "shell/AppIcon.h"
#include "shell/ChooseApp.h"
#include "shell/WindowForward.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPalette>
#include <QSystemTrayIcon>

namespace plenwick {

namespace {
// Every window of the helper comes to the front, a minimised one restored.
void comeForward() {
    restoreMinimizedWindows();
    activateApplication();
}
} // namespace

PlenwickHelperApp::PlenwickHelperApp() {
    // Its windows carry Plenwick's icon; the tray shows the helper's own.
    QApplication::setWindowIcon(applicationIcon());
    executor_ = std::make_shared<ThreadPoolExecutor>(2);
    presenter_ = std::make_shared<WindowPresenter>([executor = executor_] {
        return standardStartupItemsEnvironment(executor);
    });
    exits_ = new ProcessExits(this);

    HelperEnvironment env;
    env.preferences = std::make_shared<SettingsPreferences>(QStringLiteral("Plenwick Helper"));
    env.trashFolder = xdgDataHome() + "/Trash/files";
    env.trashEvents = std::make_shared<InotifyFolderEvents>();
    env.clock = std::make_shared<TimerClock>();
    env.now = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    };
    env.runningApps = std::make_shared<ProcRunningApps>();
    auto registry = std::make_shared<FolderAppRegistry>();
    env.registry = registry;
    env.uninstall = standardUninstallServices(executor_);
    env.uninstall.registry = registry;
    env.windows = presenter_;
    env.chooseApp = [] { return chooseApp(nullptr); };
    // The helper lives in the background: it comes to the front before it asks for an app.
    env.activate = [] { comeForward(); };
    env.alert = [](const std::string& message) {
        QMessageBox alert;
        alert.setText(QString::fromStdString(message));
        alert.exec();
    };
    env.watchExits = [exits = exits_](const std::vector<int>& pids, std::function<void()> exited) {
        exits->watch(pids, std::move(exited));
    };
    env.listenForHandledApps = true;
    state_ = std::make_unique<HelperState>(std::move(env));

    HelperMenu::Actions actions;
    actions.openMainApp = [registry] { openMainApp(mainAppURL(mainBundlePath(), *registry)); };
    actions.startupItems = [presenter = presenter_] {
        presenter->presentStartupItems(QString::fromLatin1(WindowPresenter::startupItemsWindow),
                                       QStringLiteral("Startup Items"), true, {});
    };
    actions.quitMainApp = [] {
        ProcRunningApps running;
        quitMainApp(running);
    };
    actions.quitHelper = [] { QApplication::quit(); };
    menu_ = std::make_unique<HelperMenu>(*state_, std::move(actions));
    // The tray menu is not on screen while a window is used: its keys work in each window.
    for (QAction* action : menu_->windowActions()) presenter_->addWindowAction(action);

    // Coming back to the helper (after changing the Trash's permissions, say) tries a
    // hidden Trash again.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState appState) {
        if (appState == Qt::ApplicationActive) state_->applicationBecameActive();
    });
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] { state_->applicationBecameActive(); });

    // A mask icon in the desktop's text colour, for the panels that don't tint it.
    tray_ = new QSystemTrayIcon(makeHelperIcon(QApplication::palette().color(QPalette::WindowText)), this);
    tray_->setToolTip(QStringLiteral("Plenwick Helper"));
    tray_->setContextMenu(menu_.get());
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A plain click opens the menu too, as a menu-bar item does.
        if (reason == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
    });
    tray_->show();
    // A tray that draws the menu itself (over the session bus) keeps the keys from it.
    menu_->setShortcutsShown(menu_->platformMenu() == nullptr);
    // Without a tray the icon can't show: the helper says it runs all the same.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) tellNoSystemTray();

    // Owning its well-known name on the session bus tells the main program that the
    // helper runs (it follows the name's owner); asked to come forward, it does.
    activation_ = std::make_unique<AppActivation>(QString::fromLatin1(HelperState::helperBundleID),
                                                  [] { comeForward(); });
}

PlenwickHelperApp::~PlenwickHelperApp() {
    activation_.reset();
    delete tray_;
    menu_.reset();
    state_.reset();
    presenter_.reset();
}

} // namespace plenwick
