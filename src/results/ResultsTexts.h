#pragma once
// The texts of the main window's frame that depend on the state: window title and
// subtitle, the home toolbar's way back, the shortcut named in a tool tip, and tool
// tips long enough to need wrapping.

#include "app/ViewSettings.h"
#include "app/VolumeNameMap.h"

#include <QString>

#include <cstdint>

namespace plenwick {

class FileNode;

// The root's display name (a scanned volume's by `names`); "Plenwick" without a root.
QString resultsTitle(const FileNode* root, const VolumeNameMap& names);
// "<size> · <count> files" ("1 file"), empty without a root.
QString resultsSubtitle(const FileNode* root);
// "Back to “<root>”".
QString backToResultsTitle(const FileNode& root, const VolumeNameMap& names);
// The pickers' titles of the charts and of the colour modes.
QString visualizationTitle(Visualization visualization);
QString colorModeTitle(ColorMode mode);
// "<help> (<shortcut>)", the shortcut in the desktop's own spelling; `portableShortcut`
// is Qt's portable key-sequence text.
QString helpWithShortcut(const QString& help, const char* portableShortcut);
// The text of a shortcut as menus show it.
QString shortcutText(const char* portableShortcut);

} // namespace plenwick
