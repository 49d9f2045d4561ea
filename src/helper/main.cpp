// PlenwickHelper: the tray program that watches the Trash for applications and offers
// to remove their leftovers.

#include "helper/InstanceLock.h"
#include "helper/PlenwickHelperApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // One helper per session: a second copy leaves before it opens the display. A lock
    // that can't be taken for another reason is an error, never a silent success.
    const plenwick::InstanceLockResult lock = plenwick::takeHelperInstanceLock();
    if (lock.outcome == plenwick::InstanceLockResult::Outcome::heldElsewhere) return 0;
    if (lock.outcome == plenwick::InstanceLockResult::Outcome::failed) {
        std::fprintf(stderr, "%s\n", plenwick::instanceLockFailureMessage(lock).c_str());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Plenwick Helper"));
    QApplication::setApplicationDisplayName(QStringLiteral("Plenwick Helper"));
    QApplication::setDesktopFileName(QStringLiteral("tarnwell.Plenwick.Helper"));
    // The helper lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    plenwick::PlenwickHelperApp helper;
    app.exec();
    return 0;
}
