#include "outline/OutlineFileIcons.h"

#include "scanner/FileNode.h"
#include "shell/FileIconCache.h"
#include "shell/FileIconSource.h"

#include <unordered_map>

namespace plenwick {

namespace {

constexpr std::size_t kMaxCachedIcons = 4096;

std::unordered_map<std::string, QIcon>& cache() {
    static std::unordered_map<std::string, QIcon> icons;
    return icons;
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
    // Packages and the root: their own icon, which the shared cache looks up in the
    // background (the type's icon stands in meanwhile).
    if (key.starts_with("path:")) return fileIcon(node.url(), node.kind() == FileNode::Kind::directory, node.fileExtension());
    auto& icons = cache();
    if (auto it = icons.find(key); it != icons.end()) return it->second;
    QIcon icon = makeFileIcon(describeFileType(key == "folder", node.fileExtension()));
    if (icons.size() > kMaxCachedIcons) icons.clear();
    icons.emplace(key, icon);
    return icon;
}

std::size_t outlineIconCacheCount() { return cache().size(); }

} // namespace plenwick
