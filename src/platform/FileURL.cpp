#include "platform/FileURL.h"

#include <QFile>

namespace plenwick {

QUrl fileURL(const std::string& path) { return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))); }

std::optional<std::string> pathFromFileURL(const QUrl& url) {
    if (!url.isLocalFile()) return std::nullopt;
    const QString local = url.toLocalFile();
    if (local.isEmpty()) return std::nullopt;
    return QFile::encodeName(local).toStdString();
}

} // namespace plenwick
