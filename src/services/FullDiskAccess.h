#pragma once
// Whether the program may read protected files. Linux has no such permission to
// grant: what a user can't read is told by the folder's own permissions, so the probe
// answers that nothing is needed and no settings page exists to send anyone to.

namespace plenwick {

class FullDiskAccess {
public:
    enum class Status { granted = 0, denied = 1, unknown = 2 };

    // Always granted here: nothing is asked for.
    static Status status() noexcept { return Status::granted; }
};

} // namespace plenwick
