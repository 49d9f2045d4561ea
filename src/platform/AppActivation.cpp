#include "platform/AppActivation.h"

#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWindow>

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

// Windows a program brings to the front: not its menus, tool tips and the like.
bool comesForward(const QWindow& window) {
    const Qt::WindowType type = window.type();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop &&
           !(window.flags() & Qt::WindowDoesNotAcceptFocus);
}

void bringForward(QWindow& window) {
    window.raise();
    window.requestActivate();
}

// Once armed, brings forward the first such window shown: the window a command opens
// right after the program came forward comes forward too.
class NextWindowForward final : public QObject {
public:
    explicit NextWindowForward(QObject* parent) : QObject(parent) { parent->installEventFilter(this); }
    void arm() { armed_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!armed_ || event->type() != QEvent::Show || !watched->isWindowType()) return false;
        auto* window = static_cast<QWindow*>(watched);
        if (!window->isTopLevel() || !comesForward(*window)) return false;
        armed_ = false;
        // Once it is on screen: a window asked before it is mapped may be passed over.
        QTimer::singleShot(0, window, [window] { bringForward(*window); });
        return false;
    }

private:
    bool armed_ = false;
};
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

void activateApplication() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return;
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && comesForward(*window)) bringForward(*window);
    static QPointer<NextWindowForward> next;
    if (!next) next = new NextWindowForward(app);
    next->arm();
}

std::unique_ptr<QObject> followBusNameOwner(const QString& service, std::function<void()> changed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto watcher = std::make_unique<QDBusServiceWatcher>(service, bus, QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, watcher.get(),
                     [changed = std::move(changed)](const QString&, const QString&, const QString&) {
                         if (changed) changed();
                     });
    return watcher;
}

} // namespace plenwick
