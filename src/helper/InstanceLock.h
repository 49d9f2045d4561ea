#pragma once
// One helper per user: an exclusive advisory lock on a file in the helper's folder
// under the home folder, held until the process ends. A second copy finds it taken
// and leaves before it shows anything.

#include <optional>
#include <string>

namespace plenwick {

// "<home>/Library/Application Support/Plenwick".
std::string applicationSupportFolder(const std::string& home);

// Creates `folder` with its parents (errors ignored), opens "<folder>/<name>.lock"
// (created with mode 0600) and locks it exclusively without waiting. The descriptor
// stays open and locked; nothing when the file can't be opened or another process
// holds the lock.
std::optional<int> acquireInstanceLock(const std::string& name, const std::string& folder);

// Takes the helper's lock once per process, for the home folder `home`: true when
// this process holds it (also when it took it before). The descriptor is never closed.
bool takeHelperInstanceLock(const std::string& home);

} // namespace plenwick
