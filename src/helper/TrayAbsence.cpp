#include "helper/TrayAbsence.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

namespace plenwick {

void tellNoSystemTray() {
    std::fprintf(stderr, "%s. %s\n", qUtf8Printable(TrayAbsenceNotice::title), qUtf8Printable(TrayAbsenceNotice::body));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Plenwick Helper") << 0u << QString() << TrayAbsenceNotice::title
           << TrayAbsenceNotice::body << QStringList() << QVariantMap() << -1;
    // No reply is awaited: a desktop without a notification service has the error output.
    bus.asyncCall(notify);
}

} // namespace plenwick
