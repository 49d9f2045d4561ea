#include "results/FileKindText.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <sys/stat.h>

namespace plenwick {

namespace {

QString capitalized(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

std::optional<QString> inodeDescription(const char* name) {
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(name));
    if (!type.isValid() || type.comment().isEmpty()) return std::nullopt;
    return capitalized(type.comment());
}

std::string lastComponent(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::optional<QString> typeDescriptionForExtension(const std::string& extension) {
    if (extension.empty()) return std::nullopt;
    // Matched by the name alone: a name is all the glob patterns read.
    const QList<QMimeType> types =
        QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.") + QString::fromUtf8(extension));
    for (const QMimeType& type : types) {
        if (type.isDefault() || type.comment().isEmpty()) continue;
        return capitalized(type.comment());
    }
    return std::nullopt;
}

QString fileKindText(const FileNode& node) {
    switch (node.kind()) {
    case FileNode::Kind::directory: return QStringLiteral("Folder");
    case FileNode::Kind::symlink: return QStringLiteral("Symbolic link");
    case FileNode::Kind::inaccessible: return QStringLiteral("Unreadable folder");
    case FileNode::Kind::package:
        return typeDescriptionForExtension(node.fileExtension()).value_or(QStringLiteral("Package"));
    case FileNode::Kind::file: {
        const std::string extension = node.fileExtension();
        if (extension.empty()) return QStringLiteral("Document");
        if (std::optional<QString> described = typeDescriptionForExtension(extension)) return *described;
        return QString::fromUtf8(extension).toUpper() + QStringLiteral(" file");
    }
    }
    return QStringLiteral("Document");
}

std::optional<QString> kindDescriptionForMode(mode_t mode, FileNode::Kind kind, const std::string& name) {
    if (S_ISDIR(mode)) {
        if (kind == FileNode::Kind::package) return typeDescriptionForExtension(fileExtensionOf(name));
        return inodeDescription("inode/directory");
    }
    if (S_ISLNK(mode)) return inodeDescription("inode/symlink");
    if (S_ISFIFO(mode)) return inodeDescription("inode/fifo");
    if (S_ISSOCK(mode)) return inodeDescription("inode/socket");
    if (S_ISCHR(mode)) return inodeDescription("inode/chardevice");
    if (S_ISBLK(mode)) return inodeDescription("inode/blockdevice");
    if (S_ISREG(mode)) return typeDescriptionForExtension(fileExtensionOf(name));
    return std::nullopt;
}

std::optional<QString> lookUpKindDescription(const std::string& path, FileNode::Kind kind) {
    if (kind == FileNode::Kind::inaccessible) return std::nullopt;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return kindDescriptionForMode(status.st_mode, kind, lastComponent(path));
}

} // namespace plenwick
