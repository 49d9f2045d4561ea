#pragma once
// What tells files and mounts apart, read from open descriptors.

#include <cstdint>
#include <sys/stat.h>

namespace plenwick {

// The same file: one device and inode.
inline bool sameFile(const struct stat& a, const struct stat& b) noexcept {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The mount `fd` lies on (statx STATX_MNT_ID): 0, or the errno (ENOSYS when the
// kernel cannot tell). Bind mounts of one file system have different ids.
int mountIDOf(int fd, std::uint64_t& mount);

// The mount's id, or the device where the kernel gives no id: for comparisons only.
std::uint64_t mountIdentity(int fd);

} // namespace plenwick
