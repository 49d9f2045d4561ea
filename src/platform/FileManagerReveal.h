#pragma once
// Shows an item in the desktop's file manager, selected. Fire and forget.

#include <string>

namespace plenwick {

// Asks the file manager over the session bus (org.freedesktop.FileManager1.ShowItems)
// to show `path` (raw bytes) selected; when no file manager answers, opens the folder
// that holds it. Returns at once; the answer is awaited on the event loop.
void revealInFileManager(const std::string& path);

} // namespace plenwick
