#include "platform/FileManagerReveal.h"
#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

namespace plenwick {

namespace {

void openEnclosingFolder(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const auto slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : folder.substr(0, slash);
    QDesktopServices::openUrl(fileURL(folder));
}

} // namespace

void revealInFileManager(const std::string& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openEnclosingFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    call << QStringList{fileURL(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [path](QDBusPendingCallWatcher* w) {
        if (w->isError()) openEnclosingFolder(path);
        w->deleteLater();
    });
}

} // namespace plenwick
