#include "startup/StartupItemsScanner.h"

#include "services/AppBundleInfo.h"
#include "services/AppRegistry.h"

#include "platform/TrashName.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace plenwick {
namespace {

using Source = StartupItem::Source;

std::string joined(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The folder's entries (hidden ones too) in byte order; nothing when it can't be listed.
std::vector<std::string> entryNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The app a program inside a bundle belongs to: the path up to its first ".app/".
std::optional<std::string> enclosingApp(const std::string& programPath) {
    const auto at = programPath.find(".app/");
    if (at == std::string::npos) return std::nullopt;
    return programPath.substr(0, at + 4);
}

constexpr const char* bundleSubfolders[] = {"Contents/Library/LoginItems", "Contents/Library/LaunchAgents",
                                            "Contents/Library/LaunchDaemons"};

} // namespace

StartupItemsScanner::Folders StartupItemsScanner::Folders::standard() {
    Folders folders;
    folders.launchFolders = {{homePath("Library/LaunchAgents"), Source::userAgent},
                             {"/Library/LaunchAgents", Source::systemAgent},
                             {"/Library/LaunchDaemons", Source::systemDaemon}};
    folders.applicationFolders = FolderAppRegistry::standardApplicationFolders();
    return folders;
}

std::optional<std::string> StartupItemsScanner::appDisplayName(const PlistDictionary& infoPlist) {
    if (const std::string* name = plistString(infoPlist, "CFBundleDisplayName")) return *name;
    if (const std::string* name = plistString(infoPlist, "CFBundleName")) return *name;
    return std::nullopt;
}

std::string StartupItemsScanner::appName(const std::string& appURL) {
    if (const auto info = readInfoPlist(appURL))
        if (auto name = appDisplayName(*info)) return std::move(*name);
    return bundleBaseName(appURL);
}

std::optional<std::string> StartupItemsScanner::ownerAppFromBundleIDs(const LaunchJob& job,
                                                                      const Environment& environment) {
    if (!environment.appURLForBundleID) return std::nullopt;
    for (const std::string& bundleID : job.associatedBundleIDs)
        if (auto url = environment.appURLForBundleID(bundleID)) return url;
    return std::nullopt;
}

std::vector<StartupItem> StartupItemsScanner::scanLaunchFolder(
    const std::vector<std::pair<std::string, Source>>& launchFolders, bool queryLaunchd,
    const Environment& environment) {
    ProgramRunner& runner = environment.programRunner();
    const LaunchdState state = queryLaunchd ? LaunchdState::query(runner) : LaunchdState{};

    std::vector<StartupItem> items;
    for (const auto& [folder, source] : launchFolders) {
        const LaunchdOverrides& overrides =
            source == Source::systemDaemon ? state.systemOverrides : state.userOverrides;
        for (const std::string& name : entryNames(folder)) {
            if (nameExtension(name) != "plist") continue;
            const std::string path = joined(folder, name);
            const auto job = LaunchJob::fromFile(path);
            if (!job) continue;

            StartupItem item;
            item.source = source;
            item.url = path;
            item.label = job->label;
            item.programPath = job->programPath;
            item.runsAtLoad = job->runAtLoad;
            item.keepsAlive = job->keepAlive;
            if (job->programPath) item.appURL = enclosingApp(*job->programPath);
            if (!item.appURL) item.appURL = ownerAppFromBundleIDs(*job, environment);
            item.name = item.appURL ? appName(*item.appURL) : job->label ? *job->label : bundleBaseName(path);
            item.programMissing = job->programPath && !fileExists(*job->programPath);
            item.isDisabled = overrides.isDisabled(job->label, job->disabledInPlist);
            if (queryLaunchd && job->label) {
                item.isLoaded = source == Source::systemDaemon ? launchctlPrintSucceeds(runner, *job->label, "system")
                                                               : state.loaded.count(*job->label) > 0;
            }
            items.push_back(std::move(item));
        }
    }
    return items;
}

std::vector<StartupItem> StartupItemsScanner::scanAppBundles(const std::vector<std::string>& applicationFolders) {
    std::vector<StartupItem> items;
    for (const std::string& folder : applicationFolders) {
        for (const std::string& appEntry : entryNames(folder)) {
            if (nameExtension(appEntry) != "app") continue;
            const std::string app = joined(folder, appEntry);
            const std::string name = appName(app);
            for (const char* subfolder : bundleSubfolders) {
                const std::string place = joined(app, subfolder);
                for (const std::string& entry : entryNames(place)) {
                    const std::string_view extension = nameExtension(entry);
                    if (extension != "app" && extension != "plist") continue;
                    StartupItem item;
                    item.source = Source::bundled;
                    item.name = name;
                    item.url = joined(place, entry);
                    item.appURL = app;
                    const auto job = extension == "plist" ? LaunchJob::fromFile(item.url) : std::nullopt;
                    if (job) {
                        item.label = job->label ? *job->label : bundleBaseName(item.url);
                        item.runsAtLoad = job->runAtLoad;
                        item.keepsAlive = job->keepAlive;
                    } else {
                        item.label = bundleBaseName(item.url);
                        item.runsAtLoad = true;
                    }
                    items.push_back(std::move(item));
                }
            }
        }
    }
    return items;
}

StartupItem StartupItemsScanner::loginItemToStartupItem(const LoginItemsScript::Entry& entry) {
    StartupItem item;
    item.source = Source::loginItem;
    item.name = entry.name;
    item.url = std::string(withoutTrailingSlashes(entry.path));
    if (nameExtension(lastPathComponent(item.url)) == "app") item.appURL = item.url;
    item.runsAtLoad = true;
    item.programMissing = !fileExists(entry.path);
    item.hidden = entry.hidden;
    return item;
}

std::vector<StartupItem> StartupItemsScanner::loginItemsToStartupItems(
    const std::vector<LoginItemsScript::Entry>& entries) {
    std::vector<StartupItem> items;
    items.reserve(entries.size());
    for (const auto& entry : entries) items.push_back(loginItemToStartupItem(entry));
    return items;
}

} // namespace plenwick
