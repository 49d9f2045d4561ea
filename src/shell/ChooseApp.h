#pragma once
// The open panel that asks for an app to uninstall.

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace plenwick {

// Modal on the GUI thread, opened in ~/Applications (else the home folder); the chosen
// app's path (an AppImage, an app folder, a desktop entry or a bundle-style folder),
// or nothing when cancelled. Anything else is refused with an alert that says so.
std::optional<std::string> chooseApp(QWidget* parent = nullptr);

// The alert refusing what is no app: its title, and its message naming the item (raw
// bytes).
inline const QString appChoiceRefusalTitle = QStringLiteral("Can’t Uninstall");
std::string notAnAppMessage(const std::string& path);

// The folder the panel opens in: `applications` when it is a folder, else `home`
// (never the program's working folder, which is where the panel would fall back to).
std::string appChooserStartFolder(const std::string& applications, const std::string& home);

} // namespace plenwick
