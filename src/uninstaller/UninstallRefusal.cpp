#include "uninstaller/UninstallRefusal.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

namespace plenwick {

std::optional<std::string> uninstallRefusal(const std::string& bundleURL, const std::optional<AppBundleInfo>& app) {
    if (!app) return "“" + repairUtf8(lastPathComponent(bundleURL)) + "” isn’t an app Plenwick can read.";
    if (isSystemBundleID(app->bundleID)) return "“" + app->name + "” comes with the system and can’t be uninstalled.";
    return std::nullopt;
}

} // namespace plenwick
