#pragma once
// Finds everything that starts on its own and describes it as startup items: the
// autostart desktop entries, the user's units and those every user gets, and the
// system's services, with their state from systemctl. No state; every call blocks on
// the file system and on systemctl, so callers run it in the background.

#include "startup/AutostartEntries.h"
#include "startup/OwningApp.h"
#include "startup/ServiceUnits.h"
#include "startup/StartupItem.h"
#include "startup/SystemctlQueries.h"

#include "services/ProgramRunner.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class StartupItemsScanner {
public:
    // Where to look.
    struct Folders {
        std::string userAutostart;                // $XDG_CONFIG_HOME/autostart
        std::vector<std::string> systemAutostart; // each $XDG_CONFIG_DIRS/autostart
        std::vector<UnitFolder> userUnits;        // the user's manager's folders, in precedence order
        std::vector<UnitFolder> systemUnits;      // the system manager's
        std::vector<std::string> flatpakApplications; // where Flatpak exports its apps' entries
        friend bool operator==(const Folders&, const Folders&) = default;

        // The folders of the current user (HOME and the XDG variables) and of the system.
        static Folders standard();
    };

    // What a scan asks of the system; tests substitute each part.
    struct Environment {
        ProgramRunner* runner = nullptr; // systemProgramRunner() when null
        // The app a program lies in; appOwningProgram when not set.
        std::function<std::optional<OwningApp>(const std::string& program)> appContaining;
        std::optional<std::string> searchPath; // where bare program names are looked for; $PATH when none
        std::optional<std::string> home;       // "%h" of the user's units; the home folder when none

        ProgramRunner& programRunner() const { return runner ? *runner : systemProgramRunner(); }
    };

    // Every item: the autostart entries, then the user's manager's units, then the
    // system's services. The two managers are asked at the same time.
    static std::vector<StartupItem> scan(const Folders& folders, const Environment& environment);

    static std::vector<StartupItem> scanAutostart(const Folders& folders, const Environment& environment);
    static std::vector<StartupItem> scanServices(const std::vector<UnitFolder>& unitFolders, ServiceScope scope,
                                                 const Environment& environment);

    // The app of an entry's Flatpak ID: its exported entry, named by it.
    static std::optional<OwningApp> flatpakApp(const std::string& flatpakID,
                                               const std::vector<std::string>& flatpakApplications);
};

} // namespace plenwick
