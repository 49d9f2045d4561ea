#include "app/AppEnvironment.h"

#include "base/ProcessorCount.h"
#include "services/FullDiskAccess.h"

#include <algorithm>

namespace plenwick {

AppEnvironment AppEnvironment::standard() {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ThreadPoolExecutor>();
    env.utility = std::make_shared<ThreadPoolExecutor>(static_cast<int>(std::max(1u, availableProcessors() / 4)));
    env.volumeSource = std::make_shared<SystemVolumeSource>();
    env.preferences = std::make_shared<SettingsPreferences>();
    env.fullDiskAccessIsOff = [] { return FullDiskAccess::status() == FullDiskAccess::Status::denied; };
    return env;
}

} // namespace plenwick
