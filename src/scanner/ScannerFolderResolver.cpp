#include "scanner/ScannerFolderResolver.h"

#include "scanner/ScannerDescriptorLedger.h"

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

int openNameByName(int base, std::span<const std::string_view> names, ScannerDescriptorLedger& ledger) {
    int current = base;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name(names[i]);
        const int next = ::openat(current, name.c_str(), folderFlags);
        const int error = errno;
        if (current != base) {
            ::close(current);
            ledger.closed();
        }
        if (next < 0) {
            errno = error;
            return -1;
        }
        current = next;
        if (i + 1 < names.size()) ledger.opened();
    }
    return current;
}

} // namespace

std::string ScannerFolderResolver::join(std::span<const std::string_view> names) {
    std::string path;
    for (std::string_view n : names) {
        if (!path.empty()) path.push_back('/');
        path.append(n);
    }
    return path;
}

bool ScannerFolderResolver::usesOpenat2() noexcept {
    return !openat2Missing.load(std::memory_order_relaxed) && !nameByNameForTesting.load(std::memory_order_relaxed);
}

void ScannerFolderResolver::forceNameByNameForTesting(bool on) noexcept { nameByNameForTesting.store(on); }

int ScannerFolderResolver::open(int base, std::span<const std::string_view> names, ScannerDescriptorLedger& ledger) {
    if (names.empty()) {
        errno = ENOENT;
        return -1;
    }
    if (!usesOpenat2()) return openNameByName(base, names, ledger);

    int current = base;
    while (!names.empty()) {
        const std::size_t count = piece(names);
        const std::string path = join(names.first(count));
        int next = openat2NoLinks(current, path.c_str());
        int error = errno;
        if (next < 0 && (error == ENOSYS || error == EINVAL || error == E2BIG || error == EPERM)) {
            // No openat2 here (or a filter refuses it): name by name, and from now on
            // always, unless the refusal was a real one.
            if (error != EPERM) openat2Missing.store(true, std::memory_order_relaxed);
            next = openNameByName(current, names.first(count), ledger);
            error = errno;
        }
        if (current != base) {
            ::close(current);
            ledger.closed();
        }
        if (next < 0) {
            errno = error;
            return -1;
        }
        current = next;
        names = names.subspan(count);
        if (!names.empty()) ledger.opened();
    }
    return current;
}

} // namespace plenwick
