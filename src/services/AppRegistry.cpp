#include "services/AppRegistry.h"

#include "services/AppBundleInfo.h"
#include "services/DesktopEntry.h"
#include "services/FolderEntries.h"
#include "services/LinuxApps.h"

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

FolderAppRegistry::FolderAppRegistry(std::vector<std::string> folders, std::vector<std::string> entryFolders)
    : folders_(std::move(folders)), entryFolders_(std::move(entryFolders)) {}

std::vector<std::string> FolderAppRegistry::standardEntryFolders() { return applicationsFolders(); }

std::vector<std::string> FolderAppRegistry::standardApplicationFolders() {
    return {appendingPathComponent(homeDirectory(), "Applications"), "/opt"};
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
    // A desktop file ID names a file; one that could name another place names none.
    if (bundleID.empty() || bundleID.find('/') != std::string::npos || bundleID == "." || bundleID == "..")
        return found;
    const std::string home = normalizedPathOrSelf(homeDirectory());
    for (const std::string& folder : entryFolders_) {
        const std::string path = appendingPathComponent(folder, bundleID + ".desktop");
        const std::optional<DesktopEntry> entry = readDesktopEntryFile(path);
        if (!entry || entry->type != "Application" || entry->hidden) continue;
        const std::string program = execProgram(entry->exec);
        struct stat st {};
        if (program.empty() || ::stat(program.c_str(), &st) != 0) continue;
        std::string app = path;
        const std::string normalizedProgram = normalizedPathOrSelf(program);
        if (normalizedProgram.starts_with(home + "/"))
            if (std::optional<std::string> container = appContaining(normalizedProgram)) app = std::move(*container);
        if (std::find(found.begin(), found.end(), app) == found.end()) found.push_back(std::move(app));
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
