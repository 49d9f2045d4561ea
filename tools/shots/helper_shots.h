#pragma once
// The helper's screens (its tray menu in its states and its leftovers window) and the
// main program's settings window, each handed to `save` with its name.

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace plenwick {

class UninstallSession;

// `leftoverSession` makes an after-trash session whose search has found leftovers.
void shootHelper(const std::function<void(const QString&, QWidget&)>& save,
                 const std::function<std::shared_ptr<UninstallSession>()>& leftoverSession);
void shootSettings(const std::function<void(const QString&, QWidget&)>& save);

} // namespace plenwick
