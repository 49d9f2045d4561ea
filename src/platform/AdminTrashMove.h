#pragma once
// The administrator step of moving items to the Trash, run as root by a program of
// its own. Root works only through descriptors: every path is opened a name at a
// time without following a link, the Trash folders must belong to the user, an item
// is renamed from its opened folder into the opened Trash without replacing anything,
// and it is handed to the user by descriptor, never across a mount. What it creates
// for the user (a mount's Trash, its folders, the info files) it creates with the
// user's file-system ids. Nothing the user's processes swap in on the way (a link in
// place of the Trash or of a folder above an item, another folder in place of a Trash
// just made) can redirect a move or an ownership change.

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plenwick {

// Where the administrator defines the system's service units.
inline constexpr const char* systemUnitFolder = "/etc/systemd/system";

struct AdminTrashMoveOptions {
    // Service units (".service") directly in this folder are stopped and disabled (by
    // `stopUnit`, when set) before they move; a link there is moved but never stopped.
    std::string unitFolder = systemUnitFolder;
    std::function<void(const std::string& unitFile)> stopUnit;
};

struct AdminTrashMoveResult {
    int error = 0;            // 0 when the item is in the Trash, else the errno that kept it
    int ownershipError = 0;   // moved, but not all of it could be given to the user
    bool mountInside = false; // the error (EXDEV) is a mount point inside the item
    bool mountTopUnproved = false; // the error (EXDEV): the top of its mount could not be confirmed
};

// Moves each of `items` (absolute paths without links, "." or "..") to the Trash of
// the user `uid`: into `homeTrash` (the user's own, made by the user beforehand) when
// the item lies on its mount and device, else into the Trash of the item's mount
// (found as `findMountTop` finds it: $topdir/.Trash/$uid in a shared .Trash that root
// or the top's owner owns, else $topdir/.Trash-$uid; a device inside a mount, such as
// a subvolume, has its own), made 0700 as the user when missing; an item whose top
// cannot be confirmed stays. A mount point, and a folder with a mount point anywhere below it (a bind
// mount of the same file system too), stays: EXDEV. Each item takes the first free
// name ("<base> 2.<ext>" and so on), its .trashinfo is written exclusively beside it
// (its DeletionDate in the process's time zone), and it goes to uid:gid with all it
// holds, with a bounded number of descriptors whatever its depth; a file with other
// hard links, and anything that is not a folder, a plain file or a link, keeps its
// owner. One result per item.
std::vector<AdminTrashMoveResult> moveToTrashAsAdministrator(const std::string& homeTrash,
                                                             const std::vector<std::string>& items, uid_t uid,
                                                             gid_t gid, const AdminTrashMoveOptions& options = {});

} // namespace plenwick
