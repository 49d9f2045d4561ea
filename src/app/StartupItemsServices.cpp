#include "app/StartupItemsServices.h"

#include "services/AppRegistry.h"

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor) {
    StartupItemsModel::Environment environment;
    environment.executor = std::move(executor);
    auto registry = std::make_shared<FolderAppRegistry>();
    environment.scanner.appURLForBundleID = [registry](const std::string& bundleID) {
        return applicationURLOutsideTrash(*registry, bundleID);
    };
    return environment;
}

} // namespace plenwick
