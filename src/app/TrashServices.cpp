#include "app/TrashServices.h"

#include "platform/Trash.h"
#include "services/AppsHandledNotification.h"

namespace plenwick {

TrashServices completedTrashServices(TrashServices services) {
    if (!services.trashItem)
        services.trashItem = [](const std::string& path) -> std::optional<std::string> { return moveToTrash(path); };
    if (!services.trashItems)
        services.trashItems = [](const std::vector<std::string>& paths) { return ItemTrasher::trash(paths); };
    if (!services.readBundle)
        services.readBundle = [](const std::string& path, std::stop_token stop) { return AppBundleInfo::read(path, stop); };
    if (!services.postAppsHandled)
        services.postAppsHandled = [](const std::vector<AppBundleInfo>& apps) { plenwick::postAppsHandled(apps); };
    return services;
}

} // namespace plenwick
