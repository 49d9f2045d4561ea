#pragma once
// The prominent action of a window or bar: a push button filled with one colour
// (the accent, or red for a destructive action) and white text, paler while disabled.

#include <QColor>

class QPushButton;

namespace plenwick {

// The red of destructive actions.
QColor shellDestructiveColor();

// Styles `button` filled with `fill` at `height`; calling again with the same look
// changes nothing.
void makeShellProminent(QPushButton* button, const QColor& fill, int height);

} // namespace plenwick
