#include "uninstaller/UninstallRefusal.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

namespace plenwick {

std::optional<std::string> uninstallRefusal(const std::string& bundleURL, const std::optional<AppBundleInfo>& app) {
    if (!app) return "“" + repairUtf8(lastPathComponent(bundleURL)) + "” isn’t an app Plenwick can read.";
    const std::string quoted = "“" + app->name + "”";
    switch (app->managedBy) {
    case AppManager::system:
        return quoted + " is managed by the system’s package manager and can’t be uninstalled here.";
    case AppManager::flatpak:
        return quoted + " is managed by Flatpak and can’t be uninstalled here. Remove it in your software centre.";
    case AppManager::snap:
        return quoted + " is managed by Snap and can’t be uninstalled here. Remove it in your software centre.";
    case AppManager::user:
        break;
    }
    if (isSystemApp(*app)) return quoted + " comes with the system and can’t be uninstalled.";
    return std::nullopt;
}

} // namespace plenwick
