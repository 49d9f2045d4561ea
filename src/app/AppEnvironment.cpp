#include "AppEnvironment.h"

#include "DialogFolderChooser.h"

#include <QThread>

#include <algorithm>

namespace plenwick {

AppEnvironment AppEnvironment::standard() {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ThreadPoolExecutor>();
    env.utility = std::make_shared<ThreadPoolExecutor>(std::max(1, QThread::idealThreadCount() / 4));
    env.volumeSource = std::make_shared<SystemVolumeSource>();
    env.folderChooser = std::make_shared<DialogFolderChooser>();
    env.preferences = std::make_shared<SettingsPreferences>();
    return env;
}

} // namespace plenwick
