#pragma once
// The current user's folders.

#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// $HOME, else the password database's entry; may end in "/".
std::string homeDirectory();
// `relative` inside the home folder: "<home>/<relative>".
std::string homePath(std::string_view relative);
// $XDG_DATA_HOME when absolute, else ~/.local/share.
std::string xdgDataHome();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string xdgConfigHome();
// $XDG_CACHE_HOME when absolute, else ~/.cache.
std::string xdgCacheHome();
// $XDG_STATE_HOME when absolute, else ~/.local/state.
std::string xdgStateHome();
// The absolute folders of $XDG_DATA_DIRS in order, else /usr/local/share and /usr/share.
std::vector<std::string> xdgDataDirs();

} // namespace plenwick
