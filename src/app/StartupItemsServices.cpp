#include "app/StartupItemsServices.h"

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor) {
    StartupItemsModel::Environment environment;
    environment.executor = std::move(executor);
    return environment;
}

} // namespace plenwick
