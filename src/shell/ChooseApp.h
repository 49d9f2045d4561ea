#pragma once
// The open panel that asks for an app to uninstall.

#include <optional>
#include <string>

class QWidget;

namespace plenwick {

// Modal on the GUI thread; the chosen ".app" bundle's path, or nothing when cancelled.
std::optional<std::string> chooseApp(QWidget* parent = nullptr);

} // namespace plenwick
