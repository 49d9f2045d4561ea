#pragma once
// Opens a folder below an open folder by the names that lead to it, following no
// symbolic link anywhere on the way: one openat2 with RESOLVE_NO_SYMLINKS where the
// kernel has it, else openat with O_NOFOLLOW one name at a time. A way longer than
// the kernel resolves at once is taken in pieces, each from the folder the last one
// reached, so no path length limits the depth.

#include <span>
#include <string>
#include <string_view>

namespace plenwick {

class FolderResolver {
public:
    // Told of each descriptor opened and closed on the way (not of the one returned).
    class Observer {
    public:
        virtual void opened() = 0;
        virtual void closed() = 0;

    protected:
        ~Observer() = default;
    };

    // Opens the folder at `names` below `base` read-only, close-on-exec. `base` may be
    // AT_FDCWD when names[0] is an absolute path without links. -1 with errno set when
    // it fails (ELOOP: a link was met; ENOTDIR: something else than a folder).
    static int open(int base, std::span<const std::string_view> names, Observer* observer = nullptr);

    // "a/b/c" from {"a", "b", "c"}.
    static std::string join(std::span<const std::string_view> names);

    // Whether openat2 is used (false on kernels without it); for tests.
    static bool usesOpenat2() noexcept;
    // Makes the next opens walk name by name, as on kernels without openat2; for tests.
    static void forceNameByNameForTesting(bool on) noexcept;
};

} // namespace plenwick
