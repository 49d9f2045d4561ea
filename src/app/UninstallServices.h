#pragma once
// The services an uninstall session uses in the programs: its search on the given
// executor, the application folders, /proc, timers, the Trash and the session bus.

#include "runtime/Executor.h"
#include "uninstaller/UninstallSession.h"

#include <memory>

namespace plenwick {

UninstallServices standardUninstallServices(std::shared_ptr<Executor> executor);
// `services` with every part that is not set taken from the standard ones.
UninstallServices completedUninstallServices(UninstallServices services, std::shared_ptr<Executor> executor);

} // namespace plenwick
