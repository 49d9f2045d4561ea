#pragma once
// What the helper's state needs of the window presenter: the uninstaller window shown
// for a session, and closing a window by its identifier.

#include <QString>

#include <functional>
#include <memory>

namespace plenwick {

class UninstallSession;

class HelperWindows {
public:
    virtual ~HelperWindows() = default;
    // Shows the uninstaller for `session` in the window `identifier`, or brings that
    // window forward when it is open already (then the rest is not used). `onClose`
    // runs once when the window has closed.
    virtual void presentUninstaller(const QString& identifier, const QString& title, bool resizable,
                                    std::function<void()> onClose, std::shared_ptr<UninstallSession> session) = 0;
    // Closes the window `identifier` as the user would; nothing when none is open.
    virtual void closeWindow(const QString& identifier) = 0;
};

} // namespace plenwick
