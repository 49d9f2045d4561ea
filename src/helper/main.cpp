// PlenwickHelper: the tray program that watches the Trash for applications and offers
// to remove their leftovers.

#include "helper/InstanceLock.h"
#include "helper/PlenwickHelperApp.h"

#include "base/HomeDirectory.h"

#include <QApplication>

int main(int argc, char** argv) {
    // One helper per user: a second copy leaves before it opens the display.
    if (!plenwick::takeHelperInstanceLock(plenwick::homeDirectory())) return 0;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Plenwick Helper"));
    QApplication::setApplicationDisplayName(QStringLiteral("Plenwick Helper"));
    // The helper lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    plenwick::PlenwickHelperApp helper;
    app.exec();
    return 0;
}
