#pragma once
// The settings window's helper row over the program's helper controller: the row
// shows what the controller holds and its requests go to the controller.

#include "mainprogram/SettingsView.h"

#include <chrono>
#include <functional>

namespace plenwick {

class HelperController;

// What the helper row shows for the controller's state, on a desktop with a system
// tray or without one.
HelperRow helperRowFor(const HelperController& helper, bool trayAvailable);

// Shows `helper` in `view`'s helper row from now on; flipping the switch turns the
// helper on or off, Start starts it and the window appearing reads its state afresh.
// `trayAvailable` is asked each time the row is shown, and every `trayCheck` while the
// window shows, so that the row follows a tray that comes or goes. The links end with
// either side.
inline constexpr std::chrono::milliseconds kTrayCheckInterval{2000};
void linkHelperRow(SettingsView& view, HelperController& helper, std::function<bool()> trayAvailable);

} // namespace plenwick
