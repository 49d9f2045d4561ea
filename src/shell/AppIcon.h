#pragma once
// The programs' own icon, for their windows, the task bar and the window switcher.

#include <QIcon>

namespace plenwick {

// The icon theme's "tarnwell.Plenwick": the installed icon, or a theme's own drawing
// of it. Where the theme has none (run from the build folder, say), the icon built
// into the program. Call after the application object exists.
QIcon applicationIcon();

// The icon built into the program: the installed icon's sizes up to 256 pixels.
QIcon builtInApplicationIcon();

} // namespace plenwick
