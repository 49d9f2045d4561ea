#include "base/FolderResolver.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace plenwick {
namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

std::atomic<bool> openat2Missing{false};
std::atomic<bool> nameByNameForTesting{false};

int openat2NoLinks(int base, const char* path) {
    open_how how{};
    how.flags = folderFlags;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | (base == AT_FDCWD ? 0 : RESOLVE_BENEATH);
    for (;;) {
        const long fd = ::syscall(SYS_openat2, base, path, &how, sizeof how);
        if (fd >= 0 || errno != EINTR) return static_cast<int>(fd);
    }
}

// The part of `names` that fits one path the kernel takes: at least one name.
std::size_t piece(std::span<const std::string_view> names) {
    std::size_t length = names[0].size(), count = 1;
    while (count < names.size() && length + 1 + names[count].size() < PATH_MAX) length += 1 + names[count++].size();
    return count;
}

int openOne(int folder, std::string_view name) {
    const std::string copy(name);
    return ::openat(folder, copy.c_str(), folderFlags);
}

// Opens `names` below `base` a step at a time, each step from the folder the last
// one reached: `step` opens some of the names left and says how many it used.
template <typename Step>
int openStepwise(int base, std::span<const std::string_view> names, FolderResolver::Observer* observer, Step step) {
    int current = base;
    while (!names.empty()) {
        std::size_t used = 1;
        const int next = step(current, names, used);
        const int error = errno;
        if (current != base) {
            ::close(current);
            if (observer) observer->closed();
        }
        if (next < 0) {
            errno = error;
            return -1;
        }
        current = next;
        names = names.subspan(used);
        if (!names.empty() && observer) observer->opened();
    }
    return current;
}

} // namespace

std::string FolderResolver::join(std::span<const std::string_view> names) {
    std::string path;
    for (std::string_view n : names) {
        if (!path.empty()) path.push_back('/');
        path.append(n);
    }
    return path;
}

bool FolderResolver::usesOpenat2() noexcept {
    return !openat2Missing.load(std::memory_order_relaxed) && !nameByNameForTesting.load(std::memory_order_relaxed);
}

void FolderResolver::forceNameByNameForTesting(bool on) noexcept { nameByNameForTesting.store(on); }

int FolderResolver::open(int base, std::span<const std::string_view> names, Observer* observer) {
    if (names.empty()) {
        errno = ENOENT;
        return -1;
    }
    if (!usesOpenat2())
        return openStepwise(base, names, observer,
                            [](int folder, std::span<const std::string_view> left, std::size_t&) {
                                return openOne(folder, left[0]);
                            });
    return openStepwise(base, names, observer,
                        [](int folder, std::span<const std::string_view> left, std::size_t& used) {
                            if (openat2Missing.load(std::memory_order_relaxed)) return openOne(folder, left[0]);
                            used = piece(left);
                            const int fd = openat2NoLinks(folder, join(left.first(used)).c_str());
                            const int error = errno;
                            if (fd >= 0 || (error != ENOSYS && error != EINVAL && error != E2BIG && error != EPERM))
                                return fd;
                            // No openat2 here (or a filter refuses it): one name, and from now on
                            // always name by name, unless the refusal was a real one.
                            if (error != EPERM) openat2Missing.store(true, std::memory_order_relaxed);
                            used = 1;
                            return openOne(folder, left[0]);
                        });
}

} // namespace plenwick
