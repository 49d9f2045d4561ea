#include "StartupItemsServices.h"

#include "BackgroundTask.h"
#include "services/AppRegistry.h"

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor) {
    StartupItemsModel::Environment environment;
    environment.runInBackground = [executor](QObject* owner, StartupItemsModel::Environment::Work work) {
        // The work reports its own failures as values through the continuation it
        // returns; one that throws anyway (out of memory) leaves nothing to apply.
        runInBackground(
            *executor, owner, std::move(work), [](std::function<void()> deliver) { deliver(); },
            [](std::exception_ptr) {});
    };
    auto registry = std::make_shared<FolderAppRegistry>();
    environment.scanner.appURLForBundleID = [registry](const std::string& bundleID) {
        return applicationURLOutsideTrash(*registry, bundleID);
    };
    return environment;
}

} // namespace plenwick
