#pragma once
// Shows an item in the desktop's file manager, selected.

#include "platform/DesktopOpener.h"

#include <string>

namespace plenwick {

// Asks the file manager over the session bus (org.freedesktop.FileManager1.ShowItems)
// to show `path` (raw bytes) selected; when no file manager answers, opens the folder
// that holds it. Returns at once; the answer is awaited on the event loop, and
// `failed`, when given, hears why neither worked.
void revealInFileManager(const std::string& path, DesktopFailure failed = {});

} // namespace plenwick
