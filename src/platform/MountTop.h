#pragma once
// The top folder of the mount an item lies on, where the mount's Trash belongs, and
// the rule for the Trash folder all users share there. Both moves to the Trash, the
// user's own and the administrator's, find the top and choose the Trash this way.

#include "base/Descriptor.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace plenwick {

struct MountTop {
    Descriptor folder;  // the top, opened O_PATH
    struct stat st {};
    std::uint64_t mount = 0;
    std::string path;   // its absolute path
    int error = 0;      // errno when there is no top
    bool unproved = false; // the walk ended somewhere the mount table does not confirm
    explicit operator bool() const { return error == 0 && !unproved; }
};

// The top above the open folder `folder`: walked up through "..", which the kernel
// resolves within the mount whatever is renamed meanwhile, for as many steps as it
// takes, to where the mount changes (or the device: a file system's own volume
// inside a mount, a subvolume say, has a top of its own). A top where the mount
// changes must be the mount's root as /proc/self/mountinfo names it, its path the
// table's; anything else, and a walk led on without end, is `unproved`.
MountTop findMountTop(int folder);

// The path of `item` (absolute, its folders resolved) relative to the top at
// `topPath`, as a mount's Trash records it; empty when the item is not below it.
std::string pathBelowTop(const std::string& item, const std::string& topPath);

// Whether the $topdir/.Trash `shared` (opened without following a link) may hold the
// users' Trashes on the top `top`: a sticky folder that root or the top's owner owns.
// Anyone else could rename a user's Trash in it away, or swap one in.
bool isUsableSharedTrash(const struct stat& shared, const struct stat& top);

} // namespace plenwick
