#include "base/FileIdentity.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace plenwick {

int mountIDOf(int fd, std::uint64_t& mount) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0) return errno;
    if (!(sx.stx_mask & STATX_MNT_ID)) return ENOSYS;
    mount = sx.stx_mnt_id;
    return 0;
}

std::uint64_t mountIdentity(int fd) {
    std::uint64_t mount = 0;
    if (mountIDOf(fd, mount) == 0) return mount;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return 0;
    return (std::uint64_t{1} << 63) | st.st_dev;
}

} // namespace plenwick
