#include "platform/AppActivation.h"

#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>
#include <QUrl>

#include <optional>

namespace plenwick {

namespace {

const QString applicationInterface = QStringLiteral("org.freedesktop.Application");

// Only a name without owner means "not running": a copy that is slow to answer must
// not be joined by a second one.
bool nameHasNoOwner(const QDBusError& error) {
    return error.type() == QDBusError::ServiceUnknown ||
           error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

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

void AppActivation::Open(const QStringList& uris, const QVariantMap& platformData) {
    std::vector<std::string> paths;
    for (const QString& uri : uris)
        if (std::optional<std::string> path = pathFromFileURL(QUrl(uri))) paths.push_back(std::move(*path));
    if (paths.empty() || !open_) {
        Activate(platformData);
        return;
    }
    open_(paths);
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
                         if (nameHasNoOwner(w->error()) && notRunning) notRunning();
                         w->deleteLater();
                     });
}

HandOff handOffToRunningCopy(const QString& service, const std::vector<std::string>& paths, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return HandOff::notRunning;
    QDBusMessage call;
    if (paths.empty()) {
        call = QDBusMessage::createMethodCall(service, AppActivation::objectPath(service), applicationInterface,
                                              QStringLiteral("Activate"));
        call << QVariantMap();
    } else {
        QStringList uris;
        for (const std::string& path : paths) uris << fileURL(path).toString(QUrl::FullyEncoded);
        call = QDBusMessage::createMethodCall(service, AppActivation::objectPath(service), applicationInterface,
                                              QStringLiteral("Open"));
        call << uris << QVariantMap();
    }
    call.setAutoStartService(false);
    // Events are served while waiting, so that a copy in this very process can answer.
    const QDBusMessage reply = bus.call(call, QDBus::BlockWithGui, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return HandOff::delivered;
    return nameHasNoOwner(QDBusError(reply)) ? HandOff::notRunning : HandOff::unanswered;
}

} // namespace plenwick
