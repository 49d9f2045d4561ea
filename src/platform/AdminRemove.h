#pragma once
// Deleting one file as root for the user, the way the administrator's Trash step
// works: through descriptors only, each folder opened from the one before without
// following a link, and only while every folder on the way is root's alone (owned by
// root, writable by nobody else). So no user who can write a folder above the file,
// or swap one for a link, can steer which file root deletes.

#include <string>

namespace plenwick {

struct AdminRemoveResult {
    int error = 0;         // 0 when the file is gone (or was already), else the errno that kept it (ELOOP: a link on the way)
    std::string notRoots;  // with EPERM: the folder on the way that isn't root's alone
};

// Deletes the file (or link; never a folder) at `path`, an absolute path without ".",
// ".." or empty names.
AdminRemoveResult removeAsAdministrator(const std::string& path);

} // namespace plenwick
