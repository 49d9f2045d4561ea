#pragma once
// Failures the views meet acting on items (an open or a reveal that nobody took),
// told through the application state's alert of the main window.

#include <QString>

#include <functional>

namespace plenwick {

class AppState;

// Sets the state's last error to the message under the title; a no-op once the state
// is gone.
std::function<void(const QString& title, const QString& message)> reportTo(AppState& state);

} // namespace plenwick
