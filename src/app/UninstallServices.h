#pragma once
// The services an uninstall session uses in the programs: its search on the given
// executor, the application folders, /proc, timers, the Trash and the session bus.

#include "app/Executor.h"
#include "uninstaller/UninstallSession.h"

#include <memory>

namespace plenwick {

// Background work of the uninstaller and the startup items on `executor`: the
// closure the work returns, or `failed` when it throws, runs on the GUI thread while
// its owner exists.
using BackgroundRunner = decltype(UninstallServices::runInBackground);
BackgroundRunner backgroundRunner(std::shared_ptr<Executor> executor);

UninstallServices standardUninstallServices(std::shared_ptr<Executor> executor);
// `services` with every part that is not set taken from the standard ones.
UninstallServices completedUninstallServices(UninstallServices services, std::shared_ptr<Executor> executor);

} // namespace plenwick
