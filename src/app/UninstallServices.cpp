#include "app/UninstallServices.h"

#include "services/AppsHandledNotification.h"

namespace plenwick {

UninstallServices standardUninstallServices(std::shared_ptr<Executor> executor) {
    return completedUninstallServices({}, std::move(executor));
}

UninstallServices completedUninstallServices(UninstallServices services, std::shared_ptr<Executor> executor) {
    if (!services.executor) services.executor = std::move(executor);
    if (!services.registry) services.registry = std::make_shared<FolderAppRegistry>();
    if (!services.runningApps) services.runningApps = std::make_shared<ProcRunningApps>();
    if (!services.clock) services.clock = std::make_shared<TimerClock>();
    if (!services.trash) services.trash = [](const std::vector<std::string>& urls) { return ItemTrasher::trash(urls); };
    if (!services.postAppsHandled)
        services.postAppsHandled = [](const std::vector<AppBundleInfo>& apps) { postAppsHandled(apps); };
    return services;
}

} // namespace plenwick
