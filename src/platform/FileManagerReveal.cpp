#include "platform/FileManagerReveal.h"
#include "platform/FileURL.h"

#include "base/PathNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

namespace plenwick {

namespace {

void openEnclosingFolder(const std::string& path, DesktopFailure failed) {
    DesktopFailure explained;
    if (failed)
        explained = [failed = std::move(failed)](const std::string& reason) {
            failed("No file manager answered, and its folder couldn’t be opened either. " + reason);
        };
    openOnDesktop(parentPath(path), std::move(explained));
}

} // namespace

void revealInFileManager(const std::string& path, DesktopFailure failed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openEnclosingFolder(path, std::move(failed));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    call << QStringList{fileURL(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [path, failed = std::move(failed)](QDBusPendingCallWatcher* w) {
                         if (w->isError()) openEnclosingFolder(path, failed);
                         w->deleteLater();
                     });
}

} // namespace plenwick
