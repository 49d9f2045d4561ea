#pragma once
// One helper per user session: an exclusive advisory lock on a file in a private
// folder of ours under the user's runtime folder, held until the process ends. A
// second copy finds it taken and leaves before it shows anything. A lock that can't
// be opened or locked for any other reason is an error the caller reports: it never
// passes for another copy.

#include <string>

namespace plenwick {

// The folder that holds the lock: "Plenwick" in $XDG_RUNTIME_DIR, else in
// $XDG_STATE_HOME, else in ~/.local/state (only absolute variables count).
std::string applicationSupportFolder();

struct InstanceLockResult {
    enum class Outcome { acquired, heldElsewhere, failed };
    Outcome outcome = Outcome::failed;
    int descriptor = -1; // open and locked when acquired
    int error = 0;       // errno of the failed step
    std::string path;    // the lock file, for the failure's message
};

// Creates `folder` private to the user (0700) where missing, opens
// "<folder>/<name>.lock" in it (created with mode 0600) following no link, and locks
// it exclusively without waiting. heldElsewhere only when another open file holds
// the lock; any other trouble is failed, with its errno.
InstanceLockResult acquireInstanceLock(const std::string& name, const std::string& folder);

// Takes the helper's lock once per process in `applicationSupportFolder()`: acquired
// also when this process took it before. The descriptor is never closed.
InstanceLockResult takeHelperInstanceLock();

// The line that tells why the lock couldn't be taken.
std::string instanceLockFailureMessage(const InstanceLockResult& result);

} // namespace plenwick
