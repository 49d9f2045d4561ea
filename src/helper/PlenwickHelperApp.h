#pragma once
// The helper program: its state, the tray icon with its menu, the window presenter
// and its well-known name on the session bus. Made once, after the single-instance
// lock was taken. Without a system tray the helper still watches the Trash and offers
// leftovers; the icon appears when a tray does.

#include "helper/HelperState.h"

#include <QObject>

#include <memory>

class QSystemTrayIcon;

namespace plenwick {

class AppActivation;
class Executor;
class HelperMenu;
class ProcessExits;
class WindowPresenter;

class PlenwickHelperApp final : public QObject {
    Q_OBJECT

public:
    PlenwickHelperApp();
    ~PlenwickHelperApp() override;

    HelperState& state() const noexcept { return *state_; }
    HelperMenu& menu() const noexcept { return *menu_; }
    WindowPresenter& presenter() const noexcept { return *presenter_; }
    QSystemTrayIcon& trayIcon() const noexcept { return *tray_; }

private:
    std::shared_ptr<Executor> executor_;
    std::shared_ptr<WindowPresenter> presenter_;
    ProcessExits* exits_;
    std::unique_ptr<HelperState> state_;
    std::unique_ptr<HelperMenu> menu_;
    QSystemTrayIcon* tray_;
    std::unique_ptr<AppActivation> activation_;
};

} // namespace plenwick
