#pragma once
// The places every desktop shares: the user's keys and keyrings, the settings
// database, sound, the service managers' and the bus's folders, the MIME and user
// folder settings, the shell's start files. They are never the leftovers of any
// app, whatever an app's names or identifiers match.

#include "uninstaller/Remnant.h"

#include <string>
#include <vector>

namespace plenwick {

// The shared places below the search's roots, as absolute paths.
std::vector<std::string> sharedPlaces(const RemnantSearchRoots& roots);

} // namespace plenwick
