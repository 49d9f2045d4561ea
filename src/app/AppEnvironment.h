#pragma once
// What the application state needs from the outside world, gathered so that tests
// can replace each piece: the two executors of background work, the volume source,
// the preferences store, the uninstall sessions' services and the Full Disk Access probe.

#include "app/Preferences.h"
#include "app/TrashServices.h"
#include "app/VolumeSource.h"
#include "runtime/Executor.h"
#include "uninstaller/UninstallSession.h"

#include <functional>
#include <memory>

namespace plenwick {

struct AppEnvironment {
    std::shared_ptr<Executor> userInitiated;
    std::shared_ptr<Executor> utility;
    std::shared_ptr<VolumeSource> volumeSource;
    std::shared_ptr<Preferences> preferences;
    UninstallServices uninstall; // what the uninstall sessions use; unset parts: the standard ones
    TrashServices trash;         // moves to the Trash; unset parts: the system's
    // Whether the Full Disk Access probe says access is off. Asked on a background
    // thread after a scan was refused permission; no when empty.
    std::function<bool()> fullDiskAccessIsOff;

    // The program's environment: a user-initiated pool, a smaller utility pool, the
    // machine's volumes, the user's preferences and the real probe.
    static AppEnvironment standard();
};

} // namespace plenwick
