#pragma once
// Walking a folder tree as root without leaving its mount, with a bounded number of
// descriptors whatever the depth: the walk goes down by opening a child folder and
// back up through "..", checked to be the folder it came from, keeping only names
// of the folders still to visit.

#include <cstdint>
#include <functional>

namespace plenwick {

struct MountTreeWalk {
    // Called for each entry that is not a folder with its folder and name: 0, or an errno.
    std::function<int(int folder, const char* name)> entry;
    // Called for each folder (opened read-only) once everything in it was visited, the
    // top last: 0, or an errno.
    std::function<int(int folder)> leaveFolder;
    // Ends the walk at the first error instead of going on with the rest.
    bool stopAtFirstError = false;
};

// Walks the folder `top` (any descriptor of it) and everything in it. Anything on
// another mount than `mount` (a mount point, bind mounts of the same file system
// included) is neither entered nor visited: it counts as EXDEV. Returns the first
// error met (ESTALE when a folder was moved away during the walk, which then ends).
int walkWithinMount(int top, std::uint64_t mount, const MountTreeWalk& walk);

} // namespace plenwick
