#include "platform/MotionPreference.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace plenwick {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString gnomeSpace = QStringLiteral("org.gnome.desktop.interface");
const QString gnomeKey = QStringLiteral("enable-animations");
const QString kdeSpace = QStringLiteral("org.kde.kdeglobals.KDE");
const QString kdeKey = QStringLiteral("AnimationDurationFactor");

// The portal's Read wraps the value in one variant more than ReadOne does.
QVariant unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

} // namespace

std::optional<bool> reduceMotionFromPortalSetting(const QString& space, const QString& key, const QVariant& raw) {
    const QVariant value = unwrapped(raw);
    if (space == gnomeSpace && key == gnomeKey) {
        if (value.userType() != QMetaType::Bool) return std::nullopt;
        return !value.toBool();
    }
    if (space == kdeSpace && key == kdeKey) {
        bool ok = false;
        const double factor = value.toDouble(&ok);
        if (!ok) return std::nullopt;
        return factor <= 0;
    }
    return std::nullopt;
}

MotionPreference::MotionPreference(const QString& bus, QString gsettings, QObject* parent)
    : QObject(parent), bus_(bus), gsettings_(std::move(gsettings)) {
    QDBusConnection connection(bus_);
    if (!connection.isConnected()) {
        readGSettings();
        return;
    }
    connection.connect(portalService, portalPath, portalInterface, QStringLiteral("SettingChanged"), this,
                       SLOT(onSettingChanged(QDBusMessage)));
    readPortal(gnomeSpace, gnomeKey, true);
    readPortal(kdeSpace, kdeKey, false);
}

MotionPreference::~MotionPreference() {
    // A program that has not answered by the time the program ends is not waited for.
    if (reading_) {
        reading_->disconnect(this);
        reading_->kill();
        reading_->waitForFinished(1000);
    }
}

namespace {

struct SharedSources {
    QString bus;
    QString gsettings;
};
std::optional<SharedSources>& namedSources() {
    static std::optional<SharedSources> sources;
    return sources;
}

} // namespace

void MotionPreference::setSharedSources(QString bus, QString gsettings) {
    namedSources() = SharedSources{std::move(bus), std::move(gsettings)};
}

MotionPreference& MotionPreference::shared() {
    static QPointer<MotionPreference> preference;
    if (!preference) {
        const SharedSources sources = namedSources().value_or(
            SharedSources{QDBusConnection::sessionBus().name(), QStandardPaths::findExecutable(QStringLiteral("gsettings"))});
        preference = new MotionPreference(sources.bus, sources.gsettings, QCoreApplication::instance());
    }
    return *preference;
}

void MotionPreference::setOverride(std::optional<bool> reduce) {
    const bool before = reduceMotion();
    override_ = reduce;
    if (reduceMotion() != before) emit changed(reduceMotion());
}

void MotionPreference::readPortal(const QString& space, const QString& key, bool lastChance) {
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, portalInterface, QStringLiteral("Read"));
    call << space << key;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection(bus_).asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, space, key, lastChance](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            if (const std::optional<bool> reduce = reduceMotionFromPortalSetting(space, key, reply.arguments().front()))
                apply(reduce);
            return;
        }
        // A portal that does not know the key has answered; one that is missing has not.
        if (lastChance && reply.errorName() != QStringLiteral("org.freedesktop.portal.Error.NotFound")) readGSettings();
    });
}

void MotionPreference::onSettingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3) return;
    if (const std::optional<bool> reduce =
            reduceMotionFromPortalSetting(arguments[0].toString(), arguments[1].toString(), arguments[2]))
        apply(reduce);
}

void MotionPreference::readGSettings() {
    if (fellBack_ || gsettings_.isEmpty()) return;
    fellBack_ = true;
    auto* process = new QProcess(this);
    reading_ = process;
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status != QProcess::NormalExit || code != 0) return;
        const QByteArray answer = process->readAllStandardOutput().trimmed();
        if (answer == "true") apply(false);
        if (answer == "false") apply(true);
    });
    connect(process, &QProcess::errorOccurred, process, &QObject::deleteLater);
    process->start(gsettings_, {QStringLiteral("get"), gnomeSpace, gnomeKey}, QIODevice::ReadOnly);
}

void MotionPreference::apply(std::optional<bool> desktop) {
    const bool before = reduceMotion();
    desktop_ = desktop;
    if (reduceMotion() != before) emit changed(reduceMotion());
}

} // namespace plenwick
