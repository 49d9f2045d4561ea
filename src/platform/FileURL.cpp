#include "platform/FileURL.h"

#include <QByteArray>

namespace plenwick {

// Built from the bytes, not from text: a name that is not valid UTF-8 keeps its bytes
// as percent escapes instead of turning into replacement characters (another file).
QUrl fileURL(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path).toPercentEncoding("/");
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + bytes, QUrl::StrictMode);
}

std::optional<std::string> pathFromFileURL(const QUrl& url) {
    if (!url.isLocalFile()) return std::nullopt;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    // A NUL would end the path early for every system call: another file.
    if (bytes.isEmpty() || bytes.contains('\0')) return std::nullopt;
    return bytes.toStdString();
}

} // namespace plenwick
