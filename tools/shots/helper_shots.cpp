// The helper's tray menu while it watches, while the Trash is hidden, switched off
// and with the main program running; its leftovers window; and the settings window
// with the helper row's notes.

#include "helper_shots.h"

#include "app/Preferences.h"
#include "helper/HelperMenu.h"
#include "helper/HelperState.h"
#include "helper/InotifyFolderEvents.h"
#include "helper/WindowPresenter.h"
#include "mainprogram/SettingsView.h"
#include "runtime/ManualExecutor.h"
#include "uninstaller/UninstallSession.h"
#include "uninstaller/ui/UninstallerView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QTemporaryDir>

namespace plenwick {
namespace {

// The main program's copies, as the shot says.
class ShotRunningApps final : public RunningApps {
public:
    bool mainRunning = false;
    std::vector<RunningApp> instances(const std::string& bundleID) const override {
        if (!mainRunning || bundleID != HelperState::mainAppBundleID) return {};
        return {{4242, "/opt/Plenwick.app"}};
    }
    bool terminate(const RunningApp&) override { return false; }
};

// A helper state over `trash`, with no background work and no windows of its own.
struct HelperScene {
    std::shared_ptr<ShotRunningApps> running = std::make_shared<ShotRunningApps>();
    std::shared_ptr<WindowPresenter> presenter =
        std::make_shared<WindowPresenter>([] { return StartupItemsModel::Environment(); });
    std::unique_ptr<HelperState> state;
    std::unique_ptr<HelperMenu> menu;

    explicit HelperScene(const std::string& trash, bool mainRunning = false) {
        running->mainRunning = mainRunning;
        HelperEnvironment env;
        env.preferences = std::make_shared<MemoryPreferences>();
        env.trashFolder = trash;
        env.trashEvents = std::make_shared<InotifyFolderEvents>();
        env.clock = std::make_shared<TimerClock>();
        env.now = [] { return std::chrono::milliseconds(0); };
        env.runningApps = running;
        env.registry = std::make_shared<FolderAppRegistry>(std::vector<std::string>{});
        env.uninstall.executor = std::make_shared<ManualExecutor>(); // nothing is searched
        env.windows = presenter;
        state = std::make_unique<HelperState>(std::move(env));
        menu = std::make_unique<HelperMenu>(*state, HelperMenu::Actions{});
    }
    // The menu as it drops down from the panel.
    QWidget& openMenu() {
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        return *menu;
    }
};

} // namespace

void shootHelper(const std::function<void(const QString&, QWidget&)>& save,
                 const std::function<std::shared_ptr<UninstallSession>()>& leftoverSession) {
    QTemporaryDir home;
    const std::string trash = home.filePath(QStringLiteral("Trash/files")).toStdString();
    {
        HelperScene scene(trash);
        save(QStringLiteral("helper-menu-watching"), scene.openMenu());
        scene.menu->offerToggle()->trigger();
        save(QStringLiteral("helper-menu-off"), scene.openMenu());
        scene.menu->hide();
    }
    {
        // A Trash under a folder that can’t be made: the menu says why it can’t be seen.
        HelperScene scene("/proc/no-such-home/Trash/files");
        save(QStringLiteral("helper-menu-no-access"), scene.openMenu());
        scene.menu->hide();
    }
    {
        HelperScene scene(trash, true);
        save(QStringLiteral("helper-menu-main-running"), scene.openMenu());
        scene.menu->hide();
    }
    {
        HelperScene scene(trash);
        scene.state->enqueue(leftoverSession(), false);
        if (PresentedWindow* window = scene.presenter->window(QString::fromLatin1(HelperState::leftoversWindow))) {
            QApplication::processEvents();
            if (auto* view = qobject_cast<UninstallerView*>(window->content())) {
                QElapsedTimer waited; // the app's icon is read in the background
                waited.start();
                while (view->isReadingIcon() && waited.elapsed() < 5000) QApplication::processEvents();
            }
            save(QStringLiteral("helper-leftovers"), *window);
        }
    }
}

void shootSettings(const std::function<void(const QString&, QWidget&)>& save) {
    MemoryPreferences preferences;
    SettingsView view(preferences);
    view.show();
    view.helperToggle()->setRow(HelperRow{});
    save(QStringLiteral("settings"), view);
    view.helperToggle()->setRow(HelperRow{true, true, std::nullopt});
    save(QStringLiteral("settings-not-running"), view);
    view.helperToggle()->setRow(HelperRow{true, false, std::nullopt, false, true});
    save(QStringLiteral("settings-starting"), view);
    view.helperToggle()->setRow(
        HelperRow{false, false, QStringLiteral("The autostart folder can’t be written: Permission denied")});
    view.offerLeftovers()->setChecked(false);
    save(QStringLiteral("settings-error"), view);
}

} // namespace plenwick
