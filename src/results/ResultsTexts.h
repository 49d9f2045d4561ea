#pragma once
// The texts of the main window's frame that depend on the state: window title and
// subtitle, the home toolbar's way back, and the shortcut named in a tool tip.

#include "app/ViewSettings.h"

#include <QString>

#include <cstdint>

namespace plenwick {

class FileNode;

// The root's display name; "Plenwick" without a root.
QString resultsTitle(const FileNode* root);
// "<size> · <count> files" ("1 file"), empty without a root.
QString resultsSubtitle(const FileNode* root);
// "Back to “<root>”".
QString backToResultsTitle(const FileNode& root);
// The pickers' titles of the charts and of the colour modes.
QString visualizationTitle(Visualization visualization);
QString colorModeTitle(ColorMode mode);
// "<help> (<shortcut>)", the shortcut in the desktop's own spelling; `portableShortcut`
// is Qt's portable key-sequence text.
QString helpWithShortcut(const QString& help, const char* portableShortcut);
// The text of a shortcut as menus show it.
QString shortcutText(const char* portableShortcut);

} // namespace plenwick
