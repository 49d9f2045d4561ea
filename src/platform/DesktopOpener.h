#pragma once
// Opens a file or folder with the application the desktop chooses for it (xdg-open),
// and tells the caller when nothing took it, with the reason in words.

#include <functional>
#include <string>

namespace plenwick {

// Why an open or a reveal failed, ready to be shown to the user.
using DesktopFailure = std::function<void(const std::string& reason)>;

// Opens `path` (raw bytes, absolute). Returns at once; `failed`, when given, runs
// later on the GUI thread if no application took the item. Where xdg-open is not
// installed, Qt's own route is tried.
void openOnDesktop(const std::string& path, DesktopFailure failed = {});

} // namespace plenwick
