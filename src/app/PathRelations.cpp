#include "app/PathRelations.h"

namespace plenwick {

std::vector<std::string_view> pathComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool pathIsOrEncloses(const std::string& path, const std::string& inner) {
    if (path == inner || path == "/") return true;
    return inner.size() > path.size() && inner.starts_with(path) && inner[path.size()] == '/';
}

bool isAppBundleNode(const FileNode& node) {
    if (node.kind() == FileNode::Kind::package) return node.fileExtension() == "app";
    return node.kind() == FileNode::Kind::file && node.fileExtension() == "appimage";
}

} // namespace plenwick
