#pragma once
// What a startup-items model uses in the programs: its background work on the given
// executor, the real tools and the administrator prompt.

#include "runtime/Executor.h"
#include "startup/StartupItemsModel.h"

#include <memory>

namespace plenwick {

StartupItemsModel::Environment standardStartupItemsEnvironment(std::shared_ptr<Executor> executor);

} // namespace plenwick
