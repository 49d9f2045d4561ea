#pragma once
// Bringing a window of this program to the front: a minimised one is restored first,
// since raising and activating a window that is iconic leaves it where it is.

class QWidget;

namespace plenwick {

// Shows `window` (restored when minimised), raises it and asks for it to become active.
void bringWindowForward(QWidget& window);

// Restores each shown top-level window of this program that is minimised, keeping
// its maximised or full-screen state.
void restoreMinimizedWindows();

} // namespace plenwick
