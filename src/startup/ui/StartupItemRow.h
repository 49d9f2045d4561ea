#pragma once
// One startup item in the list: icon, name and badges, detail line, busy indicator,
// on/off switch and actions menu, with a context menu. It changes nothing itself:
// the switch and the removal entries call the callbacks the window gives it.

#include "startup/StartupItem.h"

#include <QWidget>

#include <functional>

class QMenu;
class QToolButton;

namespace plenwick {

class StartupSwitch;

class StartupItemRow final : public QWidget {
    Q_OBJECT

public:
    StartupItemRow(StartupItem item, bool isBusy, std::function<void(bool)> setEnabled, std::function<void()> remove,
                   QWidget* parent = nullptr);

    const StartupItem& item() const noexcept { return item_; }
    bool isBusy() const noexcept { return isBusy_; }
    StartupSwitch* enabledSwitch() const noexcept { return switch_; } // none when it can't be toggled
    QToolButton* actionsButton() const noexcept { return actions_; }
    // The entries of the actions menu and of the context menu, built afresh.
    QMenu* makeActionsMenu(QWidget* parent) const;
    QMenu* makeContextMenu(QWidget* parent) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    StartupItem item_;
    bool isBusy_;
    std::function<void(bool)> setEnabled_;
    std::function<void()> remove_;
    StartupSwitch* switch_ = nullptr;
    QToolButton* actions_ = nullptr;
};

} // namespace plenwick
