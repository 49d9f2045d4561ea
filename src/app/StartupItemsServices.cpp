#include "StartupItemsServices.h"

#include "BackgroundTask.h"

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor) {
    StartupItemsModel::Environment environment;
    environment.runInBackground = [executor](QObject* owner, StartupItemsModel::Environment::Work work) {
        runInBackground(*executor, owner, std::move(work), [](std::function<void()> deliver) { deliver(); });
    };
    return environment;
}

} // namespace plenwick
