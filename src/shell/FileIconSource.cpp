#include "shell/FileIconSource.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QMimeType>

#include <sys/stat.h>

namespace plenwick {

namespace {

QStringList namesOf(const QMimeType& type) {
    QStringList names;
    if (!type.iconName().isEmpty()) names << type.iconName();
    if (!type.genericIconName().isEmpty() && type.genericIconName() != type.iconName()) names << type.genericIconName();
    return names;
}

FileIconDescription folder() { return {{QStringLiteral("folder"), QStringLiteral("inode-directory")}, FileIconDescription::Generic::folder}; }

FileIconDescription genericData() {
    return {{QStringLiteral("application-octet-stream"), QStringLiteral("unknown")}, FileIconDescription::Generic::file};
}

bool isMountPoint(const std::string& path, const struct stat& item) {
    if (path == "/") return true;
    struct stat parent {};
    return stat(parentPath(path).c_str(), &parent) == 0 && parent.st_dev != item.st_dev;
}

} // namespace

std::optional<FileIconDescription> DesktopFileIconSource::describeItem(const std::string& path) const {
    struct stat item {};
    if (lstat(path.c_str(), &item) != 0) return std::nullopt;
    // A link shows what it points to; a dangling one is a plain file.
    if (S_ISLNK(item.st_mode) && stat(path.c_str(), &item) != 0) return genericData();
    if (S_ISDIR(item.st_mode)) {
        const std::string trimmed(withoutTrailingSlashes(path));
        if (trimmed == withoutTrailingSlashes(homeDirectory())) {
            return FileIconDescription{{QStringLiteral("user-home"), QStringLiteral("folder")}, FileIconDescription::Generic::folder};
        }
        if (isMountPoint(trimmed, item)) {
            return FileIconDescription{{QStringLiteral("drive-harddisk"), QStringLiteral("folder")}, FileIconDescription::Generic::drive};
        }
        return folder();
    }
    static const QMimeDatabase database; // thread-safe
    const QMimeType type = database.mimeTypeForFile(QString::fromStdString(path));
    FileIconDescription description{namesOf(type), FileIconDescription::Generic::file};
    if (description.themeNames.isEmpty()) return genericData();
    return description;
}

FileIconDescription describeFileType(bool isFolder, const std::string& extension) {
    if (isFolder) return folder();
    if (extension.empty()) return genericData();
    static const QMimeDatabase database;
    // By the name alone: nothing is read.
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + QString::fromStdString(extension));
    for (const QMimeType& type : types) {
        if (type.name().startsWith(QStringLiteral("inode/"))) continue;
        QStringList names = namesOf(type);
        if (!names.isEmpty()) return {names, FileIconDescription::Generic::file};
    }
    return genericData();
}

QIcon makeFileIcon(const FileIconDescription& description) {
    for (const QString& name : description.themeNames) {
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    static const QFileIconProvider provider;
    switch (description.generic) {
    case FileIconDescription::Generic::folder: return provider.icon(QAbstractFileIconProvider::Folder);
    case FileIconDescription::Generic::drive: return provider.icon(QAbstractFileIconProvider::Drive);
    case FileIconDescription::Generic::file: return provider.icon(QAbstractFileIconProvider::File);
    }
    return provider.icon(QAbstractFileIconProvider::File);
}

} // namespace plenwick
