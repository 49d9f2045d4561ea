#pragma once
// `mkdir -p` for the program's own folders.

#include <string>

namespace plenwick {

// Creates every missing folder of the absolute `path`, private to the user (0700).
// 0 when they all exist now; else the errno of the first that could not be made.
int createFolders(const std::string& path) noexcept;

} // namespace plenwick
