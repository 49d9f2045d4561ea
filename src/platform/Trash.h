#pragma once
// The desktop's Trash as freedesktop.org lays it out: the home trash for the
// home file system, $topdir/.Trash/$uid or $topdir/.Trash-$uid on other mounts.
// Names are reserved by creating their .trashinfo exclusively, then the item is
// moved into place without ever replacing anything there; nothing is ever copied
// across file systems.

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
// The trash for an item on the device `device` at `path`. Throws std::system_error.
TrashDirectory trashFor(const std::string& path, dev_t device);

// Reserves a free name in `trash` for the item at `itemPath`: writes its .trashinfo
// (with the item's absolute path) exclusively, trying "<name>", "<base> 2.<ext>", …
// Returns the name. Throws std::system_error.
std::string reserveTrashName(const TrashDirectory& trash, const std::string& itemPath);
// Gives a reserved name back (removes its .trashinfo).
void releaseTrashName(const TrashDirectory& trash, const std::string& name);

// Moves the item at `path` (not following a final symbolic link) to its trash and
// returns its new path. Throws std::system_error carrying the errno (EXDEV for a
// move across file systems, EACCES/EPERM for missing rights).
std::string moveToTrash(const std::string& path);

// The absolute path of the item at `path` with its folder resolved, the last component
// (a link, say) kept as it is. Throws std::system_error.
std::string canonicalItemPath(const std::string& path);

// The .trashinfo text for an item.
std::string trashInfoText(const std::string& pathInInfo, long long deletionTime);

} // namespace plenwick
