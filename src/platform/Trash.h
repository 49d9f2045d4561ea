#pragma once
// The desktop's Trash as freedesktop.org lays it out: the home trash for the
// home file system, $topdir/.Trash/$uid or $topdir/.Trash-$uid on other mounts.
// The item's folder and the Trash's folders are opened once and everything else
// happens from those descriptors, so a folder swapped for a link meanwhile cannot
// redirect the move, nor split an item from its restore information. Names are
// reserved by creating their .trashinfo exclusively, then the item is moved into
// place without ever replacing anything there; nothing is ever copied across file
// systems.

#include <string>

namespace plenwick {

struct TrashDirectory {
    std::string path;    // holds files/ and info/
    std::string topdir;  // the mount's top folder; empty for the home trash
    std::string filesFolder() const { return path + "/files"; }
    std::string infoFolder() const { return path + "/info"; }
};

// The home trash, created when missing. Throws std::system_error.
TrashDirectory homeTrash();

// Moves the item at `path` (not following a final symbolic link) to its trash and
// returns its new path. A path of any length is taken; a name too long for the
// Trash is shortened there, its .trashinfo keeping the true path. Throws
// std::system_error carrying the errno (EXDEV for a move across file systems,
// EACCES/EPERM for missing rights), or a trashRefusalError() for one of the Trash's
// own folders or an item inside one, a folder with a mount point below it, or an item
// whose mount's top could not be confirmed.
std::string moveToTrash(const std::string& path);

// The absolute path of the item at `path` with its folder resolved, the last component
// (a link, say) kept as it is; a path of any length. Throws std::system_error.
std::string canonicalItemPath(const std::string& path);

// The .trashinfo text for an item.
std::string trashInfoText(const std::string& pathInInfo, long long deletionTime);

} // namespace plenwick
