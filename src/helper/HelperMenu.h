#pragma once
// The tray icon's menu, the helper's whole interface besides its tool windows: whether
// the Trash is watched (and why not, when it can't be seen), the main program and the
// two tools, the Trash offer's switch, and quitting. It keeps no state
// of its own: every item follows the helper's state.
//
// The commands' keys work while the menu is open (a shortcut of an item in a menu of
// its own, outside any window, never fires by itself) and, through the window actions,
// in the helper's windows. Where the desktop draws the menu itself (a tray that takes
// it over the session bus), the keys can't reach it, and its items show none.

#include "helper/HelperState.h"

#include <QKeySequence>
#include <QList>
#include <QMenu>

#include <functional>
#include <utility>
#include <vector>

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
    // The commands with keys, for the helper's windows: each does what its item does.
    const QList<QAction*>& windowActions() const noexcept { return windowActions_; }
    // Whether the items show their keys (they work in the open menu either way).
    void setShortcutsShown(bool shown);

protected:
    void keyPressEvent(QKeyEvent* event) override;

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
    QList<QAction*> windowActions_;
    std::vector<std::pair<QAction*, QKeySequence>> keys_; // each command item's key
};

} // namespace plenwick
