#include "outline/OutlineFileIcons.h"

#include "scanner/FileNode.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

#include <unordered_map>

namespace plenwick {

namespace {

constexpr std::size_t kMaxCachedIcons = 4096;

std::unordered_map<std::string, QIcon>& cache() {
    static std::unordered_map<std::string, QIcon> icons;
    return icons;
}

QIcon themedOr(const QStringList& names, QAbstractFileIconProvider::IconType fallback) {
    for (const QString& name : names)
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    static const QFileIconProvider provider;
    return provider.icon(fallback);
}

// The icon of a type, by name alone.
QIcon typeIcon(bool isFolder, const std::string& extension) {
    if (isFolder) return themedOr({QStringLiteral("folder")}, QAbstractFileIconProvider::Folder);
    QStringList names;
    if (!extension.empty()) {
        static const QMimeDatabase database;
        for (const QMimeType& type : database.mimeTypesForFileName(QStringLiteral("x.") + QString::fromStdString(extension)))
            names << type.iconName() << type.genericIconName();
    }
    names << QStringLiteral("application-octet-stream") << QStringLiteral("unknown");
    return themedOr(names, QAbstractFileIconProvider::File);
}

} // namespace

std::string outlineIconKey(const FileNode& node) {
    switch (node.kind()) {
    case FileNode::Kind::file:
    case FileNode::Kind::symlink: return "ext:" + node.fileExtension();
    case FileNode::Kind::inaccessible: return "folder";
    case FileNode::Kind::directory: return node.parent() ? "folder" : "path:" + node.url();
    case FileNode::Kind::package: return "path:" + node.url();
    }
    return "folder";
}

QIcon outlineFileIcon(const FileNode& node) {
    const std::string key = outlineIconKey(node);
    auto& icons = cache();
    if (auto it = icons.find(key); it != icons.end()) return it->second;
    const bool isFolder = node.isContainer() || node.kind() == FileNode::Kind::inaccessible;
    QIcon icon = typeIcon(isFolder && node.kind() != FileNode::Kind::package, node.fileExtension());
    if (icons.size() > kMaxCachedIcons) icons.clear();
    icons.emplace(key, icon);
    return icon;
}

std::size_t outlineIconCacheCount() { return cache().size(); }

} // namespace plenwick
