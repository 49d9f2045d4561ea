#include "scanner/VolumeSystem.h"

#include "base/HomeDirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace plenwick {
namespace {

std::int64_t bytes(std::uint64_t blocks, std::uint64_t blockSize) noexcept {
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(blocks, blockSize, &product) || product > static_cast<std::uint64_t>(INT64_MAX))
        return INT64_MAX;
    return static_cast<std::int64_t>(product);
}

std::optional<VolumeSpace> statSpace(const std::string& path) {
    struct statvfs s {};
    if (::statvfs(path.c_str(), &s) != 0) return std::nullopt;
    return volumeSpace(s);
}

// Reads at most 4 KiB, without blocking on anything that is not a plain file.
std::optional<std::string> readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer - text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() >= sizeof buffer) break;
    }
    ::close(fd);
    return text;
}

std::optional<std::string> resolvePath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::vector<std::string> folderNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::uint64_t> mountIDOf(const std::string& path) {
    struct statx stx {};
#ifdef STATX_MNT_ID
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC, STATX_MNT_ID, &stx) != 0) return std::nullopt;
    return (stx.stx_mask & STATX_MNT_ID) ? stx.stx_mnt_id : 0;
#else
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC, STATX_BASIC_STATS, &stx) != 0) return std::nullopt;
    return 0;
#endif
}

} // namespace

VolumeSpace volumeSpace(const struct statvfs& s) noexcept {
    const std::uint64_t unit = s.f_frsize ? s.f_frsize : s.f_bsize;
    const std::uint64_t usedBlocks = s.f_blocks > s.f_bfree ? s.f_blocks - s.f_bfree : 0;
    const std::int64_t used = bytes(usedBlocks, unit);
    const std::int64_t available = bytes(s.f_bavail, unit);
    const std::int64_t total = used > INT64_MAX - available ? INT64_MAX : used + available;
    const std::int64_t reserved = bytes(s.f_bfree > s.f_bavail ? s.f_bfree - s.f_bavail : 0, unit);
    return VolumeSpace{total, available, reserved};
}

VolumeSystem VolumeSystem::live() {
    VolumeSystem system;
    system.mounts = readMountTable;
    system.space = statSpace;
    system.readFile = readSmallFile;
    system.realPath = resolvePath;
    system.listFolder = folderNames;
    system.mountID = mountIDOf;

    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        system.userName = found->pw_name;
    system.homeFolder = homeDirectory();
    return system;
}

} // namespace plenwick
