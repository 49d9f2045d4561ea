#pragma once
// The keys that close a window of its own (settings, startup items, the helper's
// windows): Ctrl+W, and Escape unless the window's content gives Escape a meaning of
// its own (an uninstaller's Cancel), which then keeps it.

class QWidget;

namespace plenwick {

// Call once the window's content is in place.
void closeWithWindowKeys(QWidget& window);

} // namespace plenwick
