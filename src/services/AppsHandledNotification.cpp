#include "services/AppsHandledNotification.h"

#include "base/Utf8.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace plenwick {

const char* const appsHandledNotificationName = "tarnwell.Plenwick.appsHandled";

namespace {
// The notification's name split the bus's way: interface "tarnwell.Plenwick", member "appsHandled".
const QString busPath = QStringLiteral("/tarnwell/Plenwick");
const QString busInterface = QStringLiteral("tarnwell.Plenwick");
const QString busMember = QStringLiteral("appsHandled");

QStringList listEntry(const QVariantMap& userInfo, const QString& key) {
    const auto it = userInfo.find(key);
    if (it == userInfo.end() || it->typeId() != QMetaType::QStringList) return {};
    return it->toStringList();
}
} // namespace

void postAppsHandled(const std::vector<AppBundleInfo>& apps) {
    if (apps.empty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QStringList bundleIDs, paths;
    for (const AppBundleInfo& app : apps) {
        bundleIDs << QString::fromStdString(repairUtf8(app.bundleID));
        // The bus carries text: a path that is not UTF-8 is sent repaired.
        paths << QString::fromStdString(repairUtf8(app.url));
    }
    QDBusMessage signal = QDBusMessage::createSignal(busPath, busInterface, busMember);
    signal << QVariantMap{{QStringLiteral("bundleIDs"), bundleIDs}, {QStringLiteral("paths"), paths}};
    bus.send(signal);
}

AppsHandledReceiver::AppsHandledReceiver(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    connected_ = bus.connect(QString(), busPath, busInterface, busMember, this, SLOT(receive(QVariantMap)));
}

void AppsHandledReceiver::receive(const QVariantMap& userInfo) {
    emit appsHandled(listEntry(userInfo, QStringLiteral("bundleIDs")), listEntry(userInfo, QStringLiteral("paths")));
}

} // namespace plenwick
