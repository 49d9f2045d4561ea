#pragma once
// Why an app chosen for uninstalling is refused: a bundle that can't be read, or an
// app that comes with the system. The main window and the tray program say it alike.

#include "services/AppBundleInfo.h"

#include <optional>
#include <string>

namespace plenwick {

// The message refusing `app`, read from `bundleURL` (none when it couldn't be read);
// none when it may be uninstalled.
std::optional<std::string> uninstallRefusal(const std::string& bundleURL, const std::optional<AppBundleInfo>& app);

} // namespace plenwick
