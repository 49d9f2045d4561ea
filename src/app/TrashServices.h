#pragma once
// How the state moves scanned items to the Trash and tells the helper program about
// the apps among them; tests substitute each part (a Trash that refuses an item, say).
// Each call blocks: the state makes them on a background thread, except the notice.
// Reading an app may decompress part of it (an AppImage's image), so it is never done
// on the GUI thread either.

#include "services/AppBundleInfo.h"
#include "services/ItemTrasher.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace plenwick {

struct TrashServices {
    // Moves one item; its path in the Trash when known. Throws std::system_error.
    std::function<std::optional<std::string>(const std::string& path)> trashItem;
    // Moves the leftovers of collected apps in one call (with the administrator step).
    std::function<ItemTrasher::Result(const std::vector<std::string>& paths)> trashItems;
    // Reads an app of any kind; none when it can't be read or `stop` was requested.
    std::function<std::optional<AppBundleInfo>(const std::string& path, std::stop_token stop)> readBundle;
    // Tells the helper which apps are about to go (GUI thread).
    std::function<void(const std::vector<AppBundleInfo>& apps)> postAppsHandled;
};

// `services` with every part that is not set taken from the system's.
TrashServices completedTrashServices(TrashServices services);

} // namespace plenwick
