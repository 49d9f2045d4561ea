#include "app/UninstallServices.h"

#include "app/BackgroundTask.h"
#include "services/AppsHandledNotification.h"

namespace plenwick {

UninstallServices standardUninstallServices(std::shared_ptr<Executor> executor) {
    UninstallServices services;
    services.runInBackground = [executor](QObject* owner, UninstallServices::Work work) {
        runInBackground(*executor, owner, std::move(work), [](std::function<void()> deliver) { deliver(); });
    };
    services.registry = std::make_shared<FolderAppRegistry>();
    services.runningApps = std::make_shared<ProcRunningApps>();
    services.scheduler = std::make_shared<TimerScheduler>();
    services.trash = [](const std::vector<std::string>& urls) { return ItemTrasher::trash(urls); };
    services.postAppsHandled = [](const std::vector<AppBundleInfo>& apps) { postAppsHandled(apps); };
    return services;
}

} // namespace plenwick
