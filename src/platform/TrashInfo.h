#pragma once
// Where a trashed item came from, as its .trashinfo records it.

#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

// For an item in a Trash's files/ folder, the original path its info file names (the
// Path key, percent-decoded; a path relative to a mount's top folder made absolute).
// Nothing when the item is not in such a folder or its info is missing or unreadable.
std::optional<std::string> originalPathOfTrashedItem(const std::string& itemPath);

// The Path value of a .trashinfo text, percent-decoded; nothing without a valid one.
std::optional<std::string> trashInfoPath(std::string_view text);

} // namespace plenwick
