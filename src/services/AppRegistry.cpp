#include "services/AppRegistry.h"

#include "services/AppBundleInfo.h"
#include "services/FolderEntries.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "platform/TrashName.h"

#include <algorithm>
#include <sys/stat.h>

namespace plenwick {
namespace {

std::vector<std::string> appNamesIn(const std::string& folder) {
    std::vector<std::string> names = folderEntryNames(folder);
    std::erase_if(names, [](const std::string& name) { return nameExtension(name) != "app"; });
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

FolderAppRegistry::FolderAppRegistry(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::vector<std::string> FolderAppRegistry::standardApplicationFolders() {
    return {"/Applications", "/Applications/Utilities", appendingPathComponent(homeDirectory(), "Applications")};
}

std::vector<std::string> FolderAppRegistry::applicationURLs(const std::string& bundleID) const {
    std::vector<std::string> found;
    for (const std::string& folder : folders_) {
        for (const std::string& name : appNamesIn(folder)) {
            const std::string bundle = appendingPathComponent(folder, name);
            const auto info = readInfoPlist(bundle);
            if (!info) continue;
            const std::string* id = plistString(*info, "CFBundleIdentifier");
            if (id && *id == bundleID) found.push_back(bundle);
        }
    }
    return found;
}

bool isInTrash(std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        // ".Trash-<uid>" is a mount's trash on Linux; ".Trash" also holds "$topdir/.Trash/<uid>".
        if (part == ".Trash" || part == ".Trashes" || part.starts_with(".Trash-")) return true;
        start = end + 1;
    }
    // The home trash has no such component.
    const std::string homeTrash = normalizedPathOrSelf(appendingPathComponent(xdgDataHome(), "Trash"));
    const std::string standardised = normalizedPathOrSelf(path);
    return standardised.starts_with(homeTrash) &&
           (standardised.size() == homeTrash.size() || standardised[homeTrash.size()] == '/');
}

std::optional<std::string> applicationURLOutsideTrash(const AppRegistry& registry, const std::string& bundleID) {
    for (std::string& url : registry.applicationURLs(bundleID))
        if (!isInTrash(url)) return std::move(url);
    return std::nullopt;
}

std::vector<std::string> installedCopies(const AppRegistry& registry, const std::string& bundleID,
                                         const std::string& leaveOut) {
    const std::string own = normalizedPathOrSelf(leaveOut);
    std::vector<std::string> copies;
    for (std::string& url : registry.applicationURLs(bundleID)) {
        const std::string path = normalizedPathOrSelf(url);
        struct stat st {};
        if (path == own || isInTrash(url) || ::stat(path.c_str(), &st) != 0) continue;
        copies.push_back(std::move(url));
    }
    return copies;
}

} // namespace plenwick
