#pragma once
// What the helper says when it starts where the desktop has no system tray: it runs
// and watches the Trash all the same, but its icon and menu can't show, and without a
// word the user would take it for not running.

#include <QString>

namespace plenwick {

struct TrayAbsenceNotice {
    static inline const QString title = QStringLiteral("Plenwick Helper is running without an icon");
    static inline const QString body = QStringLiteral(
        "This desktop has no system tray to show it in. The helper still offers to remove the leftovers of apps "
        "you move to the Trash; turn it off in Plenwick’s settings.");
};

// Says it as a desktop notification (org.freedesktop.Notifications on the session
// bus, not waited for) and on the error output.
void tellNoSystemTray();

} // namespace plenwick
