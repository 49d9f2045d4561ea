#include "app/UninstallServices.h"

#include "app/BackgroundTask.h"
#include "services/AppsHandledNotification.h"

namespace plenwick {

UninstallServices standardUninstallServices(std::shared_ptr<Executor> executor) {
    return completedUninstallServices({}, std::move(executor));
}

BackgroundRunner backgroundRunner(std::shared_ptr<Executor> executor) {
    return [executor](QObject* owner, UninstallServices::Work work, UninstallServices::Failed failed) {
        runInBackground(
            *executor, owner, std::move(work), [](std::function<void()> deliver) { deliver(); },
            [failed = std::move(failed)](std::exception_ptr error) {
                if (failed) failed(std::move(error));
            });
    };
}

UninstallServices completedUninstallServices(UninstallServices services, std::shared_ptr<Executor> executor) {
    if (!services.runInBackground) services.runInBackground = backgroundRunner(executor);
    if (!services.registry) services.registry = std::make_shared<FolderAppRegistry>();
    if (!services.runningApps) services.runningApps = std::make_shared<ProcRunningApps>();
    if (!services.scheduler) services.scheduler = std::make_shared<TimerScheduler>();
    if (!services.trash) services.trash = [](const std::vector<std::string>& urls) { return ItemTrasher::trash(urls); };
    if (!services.postAppsHandled)
        services.postAppsHandled = [](const std::vector<AppBundleInfo>& apps) { postAppsHandled(apps); };
    return services;
}

} // namespace plenwick
