#pragma once
// What the application state needs from the outside world, gathered so that tests
// can replace each piece: the two executors of background work, the volume source
// and the preferences store.

#include "app/Executor.h"
#include "app/Preferences.h"
#include "app/VolumeSource.h"

#include <memory>

namespace plenwick {

struct AppEnvironment {
    std::shared_ptr<Executor> userInitiated;
    std::shared_ptr<Executor> utility;
    std::shared_ptr<VolumeSource> volumeSource;
    std::shared_ptr<Preferences> preferences;

    // The program's environment: a user-initiated pool, a smaller utility pool, the
    // machine's volumes and the user's preferences.
    static AppEnvironment standard();
};

} // namespace plenwick
