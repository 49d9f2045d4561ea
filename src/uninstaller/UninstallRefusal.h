#pragma once
// Why an app chosen for uninstalling is refused: one that can't be read, or one that
// comes with the system or another manager removes (the text names who). The main
// window and the tray program say it alike.

#include "services/AppBundleInfo.h"

#include <optional>
#include <string>

namespace plenwick {

// The message refusing `app`, read from `bundleURL` (none when it couldn't be read);
// none when it may be uninstalled.
std::optional<std::string> uninstallRefusal(const std::string& bundleURL, const std::optional<AppBundleInfo>& app);

} // namespace plenwick
