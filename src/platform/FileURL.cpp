#include "platform/FileURL.h"

#include <QByteArray>
#include <QSysInfo>

namespace plenwick {

// Built from the bytes, not from text: a name that is not valid UTF-8 keeps its bytes
// as percent escapes instead of turning into replacement characters (another file).
QUrl fileURL(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path).toPercentEncoding("/");
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + bytes, QUrl::StrictMode);
}

namespace {

// A file URL names a file here only without a host, with "localhost" or with this
// machine's own name: "file://server/etc/passwd" is the server's file, not ours.
bool namesThisMachine(const QUrl& url) {
    const QString host = url.host();
    if (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QString own = QSysInfo::machineHostName();
    return !own.isEmpty() && host.compare(own, Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<std::string> pathFromFileURL(const QUrl& url) {
    if (!url.isLocalFile() || !namesThisMachine(url)) return std::nullopt;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    // A NUL would end the path early for every system call: another file.
    if (bytes.isEmpty() || bytes.contains('\0')) return std::nullopt;
    return bytes.toStdString();
}

} // namespace plenwick
