#pragma once
// The keyboard shortcuts of the menu commands, in Qt's portable key-sequence text.
// The menus bind them; toolbar and bar buttons name them in their tool tips.

namespace plenwick::shortcuts {

inline constexpr const char* scanFolder = "Ctrl+O";
inline constexpr const char* rescan = "Ctrl+R";
inline constexpr const char* rescanFolder = "Ctrl+Shift+R";
inline constexpr const char* showDisks = "Ctrl+Shift+D";
inline constexpr const char* uninstallApp = "Ctrl+Shift+U";
inline constexpr const char* startupItems = "Ctrl+Shift+L";
inline constexpr const char* settings = "Ctrl+,";
// Spelled out: the desktop's standard Quit key is empty where its theme names none.
inline constexpr const char* quit = "Ctrl+Q";
inline constexpr const char* enclosingFolder = "Ctrl+Up";
inline constexpr const char* back = "Ctrl+[";
inline constexpr const char* forward = "Ctrl+]";
inline constexpr const char* zoomIntoSelection = "Ctrl+Down";
inline constexpr const char* quickLook = "Ctrl+Y";
inline constexpr const char* reveal = "Ctrl+Alt+R";
inline constexpr const char* addToCollector = "Ctrl+Backspace";
// Option-Command-Delete on the original keyboard. Not Ctrl+Alt+Backspace: on X servers
// that enable the "terminate" option it kills the whole session, unsaved work and all.
// Shift keeps the Delete family and is no text-editing key, so it reaches the menu
// while a text field has the focus, as the command wants.
inline constexpr const char* moveToTrash = "Ctrl+Shift+Backspace";
// Control+Command on the original keyboard; the Super key belongs to the desktop here.
inline constexpr const char* toggleInspector = "Ctrl+Alt+I";
inline constexpr const char* toggleSidebar = "Ctrl+Alt+S";

} // namespace plenwick::shortcuts
