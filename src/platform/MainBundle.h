#pragma once
// The bundle the running program was started from.

#include <string>

namespace plenwick {

// For …/X.app/Contents/MacOS/X the path of X.app; otherwise the program's folder.
std::string mainBundlePath();
// The same for a given executable path.
std::string bundlePathForExecutable(const std::string& executable);

} // namespace plenwick
