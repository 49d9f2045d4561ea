#pragma once
// The Trash's own folders: the home Trash, and the .Trash and .Trash-<uid> folders at
// the top of a mount, with everything inside them. None of them is ever moved to
// the Trash: its info folder would take every restore record with it, and an item
// already in the Trash would lose its own.

#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace plenwick {

// The reason given for such an item.
inline constexpr const char* partOfTrashReason = "It is part of the Trash.";
// An error whose message is that reason.
std::error_code partOfTrashError();

// Whether the item at `path` (absolute, its folders without links) is part of a
// Trash: found on the disk name by name without following a link, the home Trash
// `homeTrash` recognised as the same folder whatever path leads to it (empty: none).
bool isPartOfTrash(std::string_view path, const std::string& homeTrash);

// The same decided from the path alone: `path` and `homeTrash` normalised, absolute;
// `isMountTop` says whether a folder is the top of a mount.
bool pathIsPartOfTrash(std::string_view path, std::string_view homeTrash,
                       const std::function<bool(std::string_view folder)>& isMountTop);

} // namespace plenwick
