#pragma once
// The names in one folder, read once, without following anything.

#include <string>
#include <vector>

namespace plenwick {

// The names of a folder's direct entries, hidden ones included ("." and ".." left
// out), in the order the file system gives them; none when it can't be listed.
std::vector<std::string> folderEntryNames(const std::string& folder);

} // namespace plenwick
