#include "app/ScannedTrash.h"

#include "app/PathRelations.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

namespace plenwick {

namespace {

std::optional<std::string> resolved(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

} // namespace

std::string trashFolderOf(const std::string& pathInTrash) {
    const std::string folder = parentPath(pathInTrash);
    return lastPathComponent(folder) == "files" ? parentPath(folder) : folder;
}

std::string homeTrashFolder() { return appendingPathComponent(xdgDataHome(), "Trash"); }

std::vector<std::string> trashFoldersInScan(const std::string& rootPath, const std::vector<std::string>& trashFolders) {
    std::vector<std::string> inside;
    const std::optional<std::string> root = resolved(rootPath);
    if (!root) return inside;
    const std::string treeRoot = normalizedPathOrSelf(rootPath);
    for (const std::string& folder : trashFolders) {
        const std::optional<std::string> real = resolved(folder);
        if (!real || !pathIsOrEncloses(*root, *real)) continue;
        // The same folder below the tree's own spelling of the root.
        const std::string below = real->substr(*root == "/" ? 0 : root->size());
        std::string path = treeRoot == "/" ? below : treeRoot + below;
        if (path.empty()) path = treeRoot;
        if (std::find(inside.begin(), inside.end(), path) == inside.end()) inside.push_back(std::move(path));
    }
    return inside;
}

} // namespace plenwick
