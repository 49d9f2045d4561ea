#include "StartupItemsServices.h"

#include "BackgroundTask.h"
#include "services/AppRegistry.h"

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor) {
    StartupItemsModel::Environment environment;
    environment.runInBackground = [executor](QObject* owner, StartupItemsModel::Environment::Work work) {
        runInBackground(*executor, owner, std::move(work), [](std::function<void()> deliver) { deliver(); });
    };
    auto registry = std::make_shared<FolderAppRegistry>();
    environment.scanner.appURLForBundleID = [registry](const std::string& bundleID) {
        return applicationURLOutsideTrash(*registry, bundleID);
    };
    return environment;
}

} // namespace plenwick
