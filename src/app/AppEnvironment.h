#pragma once
// What the application state needs from the outside world, gathered so that tests
// can replace each piece: the two executors of background work, the volume source,
// the preferences store and the uninstall sessions' services.

#include "app/Executor.h"
#include "app/Preferences.h"
#include "app/TrashServices.h"
#include "app/VolumeSource.h"
#include "uninstaller/UninstallSession.h"

#include <memory>

namespace plenwick {

struct AppEnvironment {
    std::shared_ptr<Executor> userInitiated;
    std::shared_ptr<Executor> utility;
    std::shared_ptr<VolumeSource> volumeSource;
    std::shared_ptr<Preferences> preferences;
    UninstallServices uninstall; // what the uninstall sessions use; unset parts: the standard ones
    TrashServices trash;         // moves to the Trash; unset parts: the system's

    // The program's environment: a user-initiated pool, a smaller utility pool, the
    // machine's volumes and the user's preferences.
    static AppEnvironment standard();
};

} // namespace plenwick
