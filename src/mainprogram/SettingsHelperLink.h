#pragma once
// The settings window's helper row over the program's helper controller: the row
// shows what the controller holds and its requests go to the controller.

#include "mainprogram/SettingsView.h"

namespace plenwick {

class HelperController;

// What the helper row shows for the controller's state.
HelperRow helperRowFor(const HelperController& helper);

// Shows `helper` in `view`'s helper row from now on; flipping the switch turns the
// helper on or off, Start starts it and the window appearing reads its state afresh.
// The links end with either side.
void linkHelperRow(SettingsView& view, HelperController& helper);

} // namespace plenwick
