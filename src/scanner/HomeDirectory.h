#pragma once
// The current user's folders.

#include <string>

namespace plenwick {

// $HOME, else the password database's entry; may end in "/".
std::string homeDirectory();
// $XDG_DATA_HOME when absolute, else ~/.local/share.
std::string xdgDataHome();

} // namespace plenwick
