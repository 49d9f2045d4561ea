#pragma once
// The Trash's own folders: the home Trash, and the .Trash and .Trash-<uid> folders at
// the top of a mount, with everything inside them. None of them is ever moved to
// the Trash: its info folder would take every restore record with it, and an item
// already in the Trash would lose its own.

#include <string>
#include <string_view>
#include <system_error>

namespace plenwick {

// The error for such an item: "It is part of the Trash."
std::error_code partOfTrashError();

// Whether the item at `path` (absolute, its folders without links) is part of a
// Trash: found on the disk name by name without following a link, the home Trash
// `homeTrash` recognised as the same folder whatever path leads to it (empty: none).
bool isPartOfTrash(std::string_view path, const std::string& homeTrash);

// The same for the item at any absolute `path`, links in its folders followed (a
// final link is the item itself), the home Trash the user's ($XDG_DATA_HOME/Trash):
// the one answer of both moves, the collector and the menus. A few system calls for
// each name of the path.
bool isPartOfUsersTrash(const std::string& path);

} // namespace plenwick
