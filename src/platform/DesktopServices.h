#pragma once
// Asks the desktop to open a URL (a settings pane, a web page). Fire and forget.

#include <string>

namespace plenwick {

void openURLOnDesktop(const std::string& url);

} // namespace plenwick
