#pragma once
// The icon theme the file and disk icons come from.

namespace plenwick {

// A session that names no icon theme (no desktop, or a bare window manager) leaves Qt
// with a handful of built-in 16-pixel icons, blurred when a card shows them large:
// such a session gets the freedesktop default theme, and every theme falls back to
// it for the icons it lacks. Call once, after the application object exists.
void useDefaultIconThemeWhereNoneIsSet();

} // namespace plenwick
