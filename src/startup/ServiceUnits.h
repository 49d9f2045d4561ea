#pragma once
// The service units in one manager's folders, as the window lists them. A name
// defined in an earlier folder hides the same name in later ones (a masked one too);
// masked units and aliases are left out. A template stands for its instances: those
// that a link in a configuration folder's ".wants" (".requires", ".upholds") folder
// enables, and its default instance.

#include "startup/StartupItem.h"
#include "services/UnitFile.h"

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

struct UnitFolder {
    std::string path;
    StartupItem::Source source; // what its units are listed as
    friend bool operator==(const UnitFolder&, const UnitFolder&) = default;
};

struct ServiceDefinition {
    std::string unit;     // the unit's name; an instance's for a template
    std::string unitFile; // the file's name as the manager lists it: the template's for an instance
    std::string path;     // the unit file, or the link that enables an instance
    StartupItem::Source source;
    UnitFile file;
    bool enabledByLink = false; // an instance found by the link that enables it
};

// Folders in the manager's order of precedence. `home` fills "%h" in programs (the
// user's manager).
std::vector<ServiceDefinition> serviceDefinitions(const std::vector<UnitFolder>& folders,
                                                  const std::optional<std::string>& home);

} // namespace plenwick
