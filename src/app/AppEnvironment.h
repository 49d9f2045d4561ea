#pragma once
// What the application state needs from the outside world, gathered so that tests
// can replace each piece: the two executors of background work, the volume source,
// the folder chooser and the preferences store.

#include "Executor.h"
#include "FolderChooser.h"
#include "Preferences.h"
#include "VolumeSource.h"

#include <memory>

namespace plenwick {

struct AppEnvironment {
    std::shared_ptr<Executor> userInitiated;
    std::shared_ptr<Executor> utility;
    std::shared_ptr<VolumeSource> volumeSource;
    std::shared_ptr<FolderChooser> folderChooser;
    std::shared_ptr<Preferences> preferences;

    // The program's environment: a user-initiated pool, a smaller utility pool, the
    // machine's volumes, the folder dialog and the user's preferences.
    static AppEnvironment standard();
};

} // namespace plenwick
