#pragma once
// The tray icon's menu, the helper's whole interface besides its tool windows: whether
// the Trash is watched (and why not, when it can't be seen), the main program and the
// two tools, the Trash offer's switch, and quitting. It keeps no state
// of its own: every item follows the helper's state.

#include "helper/HelperState.h"

#include <QMenu>

#include <functional>

class QAction;

namespace plenwick {

class HelperMenu final : public QMenu {
    Q_OBJECT

public:
    // What the items do beyond the state's own operations.
    struct Actions {
        std::function<void()> openMainApp;
        std::function<void()> startupItems;
        std::function<void()> quitMainApp;
        std::function<void()> quitHelper;
    };

    static QString statusText(bool askOnTrash, TrashWatcher::Status status);

    HelperMenu(HelperState& state, Actions actions, QWidget* parent = nullptr);

    QAction* statusLine() const noexcept { return status_; }
    QAction* openMainApp() const noexcept { return openMain_; }
    QAction* uninstallApp() const noexcept { return uninstall_; }
    QAction* startupItems() const noexcept { return startup_; }
    QAction* offerToggle() const noexcept { return offer_; }
    QAction* quitMainApp() const noexcept { return quitMain_; }
    QAction* quitHelper() const noexcept { return quitHelper_; }

private:
    QAction* addCommand(const QString& title, const char* shortcut, std::function<void()> action);
    void refresh();

    HelperState& state_;
    Actions actions_;
    QAction* status_;
    QAction* openMain_;
    QAction* uninstall_;
    QAction* startup_;
    QAction* offer_;
    QAction* quitMain_;
    QAction* quitHelper_;
};

} // namespace plenwick
