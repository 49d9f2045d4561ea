#include "platform/AppActivation.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>

namespace plenwick {

namespace {
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
} // namespace

QString AppActivation::objectPath(const QString& service) {
    QString path = QStringLiteral("/") + service;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

AppActivation::AppActivation(const QString& service, std::function<void()> activate, QObject* parent)
    : QObject(parent), service_(service), activate_(std::move(activate)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!bus.registerObject(objectPath(service_), this, QDBusConnection::ExportScriptableSlots)) return;
    // The first copy keeps the name; a later one leaves it to that copy.
    const auto reply = bus.interface()->registerService(service_, QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    registered_ = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (!registered_) bus.unregisterObject(objectPath(service_));
}

AppActivation::~AppActivation() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath(service_));
    bus.unregisterService(service_);
}

void AppActivation::Activate(const QVariantMap&) {
    if (activate_) activate_();
}

void requestActivation(const QString& service, std::function<void()> notRunning) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(notRunning), Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, AppActivation::objectPath(service),
                                                       applicationInterface, QStringLiteral("Activate"));
    call << QVariantMap();
    // No owner: the bus answers at once with an error, and the program is started.
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [notRunning = std::move(notRunning)](QDBusPendingCallWatcher* w) {
                         // Only a name without owner means "not running": a copy that is
                         // slow to answer must not be joined by a second one.
                         const QDBusError error = w->error();
                         const bool noOwner = error.type() == QDBusError::ServiceUnknown ||
                                              error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
                         if (noOwner && notRunning) notRunning();
                         w->deleteLater();
                     });
}

} // namespace plenwick
