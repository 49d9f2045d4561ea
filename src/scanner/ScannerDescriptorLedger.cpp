#include "scanner/ScannerDescriptorLedger.h"

namespace plenwick {

bool ScannerDescriptorLedger::waitForRelease(Snapshot since, std::chrono::microseconds timeout) {
    const auto released = [&] { return snapshot().releases != since.releases; };
    std::unique_lock guard(lock_);
    waiters_.fetch_add(1);
    // A release between the caller's snapshot and the count above is seen by the
    // first test; one after it finds the waiter counted and notifies under the lock.
    const bool changed = condition_.wait_for(guard, timeout, released);
    waiters_.fetch_sub(1);
    return changed;
}

} // namespace plenwick
