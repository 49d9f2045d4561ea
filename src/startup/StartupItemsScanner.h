#pragma once
// Finds everything that starts on its own and describes it as startup items: launch
// jobs in the launch folders, helpers inside app bundles, and login items. No state;
// every call blocks on the file system (and on /bin/launchctl), so callers run it in
// the background.

#include "startup/LaunchctlQueries.h"
#include "startup/LoginItemsScript.h"
#include "startup/StartupItem.h"

#include "services/LaunchJob.h"
#include "services/ProgramRunner.h"
#include "services/PropertyList.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plenwick {

class StartupItemsScanner {
public:
    // Where to look.
    struct Folders {
        std::vector<std::pair<std::string, StartupItem::Source>> launchFolders;
        std::vector<std::string> applicationFolders; // their ".app" bundles are searched for helpers
        friend bool operator==(const Folders&, const Folders&) = default;

        // The user's and the system's launch folders and application folders.
        static Folders standard();
    };

    // What a scan asks of the system; tests substitute each part.
    struct Environment {
        ProgramRunner* runner = nullptr; // systemProgramRunner() when null
        // The first installed app with this bundle identifier outside any Trash.
        std::function<std::optional<std::string>(const std::string& bundleID)> appURLForBundleID;

        ProgramRunner& programRunner() const { return runner ? *runner : systemProgramRunner(); }
    };

    // The launch jobs in `launchFolders`, folder by folder. With `queryLaunchd`, the
    // launch system is asked which jobs it holds disabled or enabled and which are loaded.
    static std::vector<StartupItem> scanLaunchFolder(
        const std::vector<std::pair<std::string, StartupItem::Source>>& launchFolders, bool queryLaunchd,
        const Environment& environment);
    // The helpers and job definitions inside the apps directly in `applicationFolders`.
    static std::vector<StartupItem> scanAppBundles(const std::vector<std::string>& applicationFolders);

    static StartupItem loginItemToStartupItem(const LoginItemsScript::Entry& entry);
    static std::vector<StartupItem> loginItemsToStartupItems(const std::vector<LoginItemsScript::Entry>& entries);

    // "CFBundleDisplayName", else "CFBundleName", when a string (even an empty one).
    static std::optional<std::string> appDisplayName(const PlistDictionary& infoPlist);
    // The app's display name, else its file name without the extension.
    static std::string appName(const std::string& appURL);
    // The first app found for the job's associated bundle identifiers.
    static std::optional<std::string> ownerAppFromBundleIDs(const LaunchJob& job, const Environment& environment);
};

} // namespace plenwick
