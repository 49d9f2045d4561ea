#pragma once
// The desktop entries started at login, by the XDG autostart rules: the user's own
// folder first, then each system-wide folder; an entry of the same file name in an
// earlier folder replaces the later one. A user entry with Hidden=true over a
// system-wide one is how the user turns that one off for themselves.

#include "startup/StartupItem.h"

#include "services/DesktopEntry.h"

#include <string>
#include <vector>

namespace plenwick {

struct AutostartDefinition {
    std::string fileName; // "foo.desktop"
    std::string path;     // the entry listed: the user's, or the system-wide one
    StartupItem::Source source; // loginItem for the user's, systemAgent for a system-wide one
    DesktopEntry entry;
    bool turnedOff = false; // Hidden or X-GNOME-Autostart-enabled=false, or hidden by the user's entry
};

// `userFolder` is $XDG_CONFIG_HOME/autostart; `systemFolders` each $XDG_CONFIG_DIRS'
// autostart folder in order. A system-wide entry that turns itself off is left out:
// it starts for nobody, and only its package can change that.
std::vector<AutostartDefinition> autostartDefinitions(const std::string& userFolder,
                                                      const std::vector<std::string>& systemFolders);

// The entry the user writes to turn a system-wide entry off for themselves.
std::string autostartOverrideText();
// Whether an entry is such an override (it hides what it replaces).
bool isAutostartOverride(const DesktopEntry& entry);

} // namespace plenwick
