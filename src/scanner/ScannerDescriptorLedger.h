#pragma once
// What a scan knows about the descriptors it holds, so that a worker refused one
// (EMFILE, ENFILE) can tell a passing shortage from a scan that cannot go on: how
// many descriptors the scan holds that it will release, and how many it has released
// so far. Both live in one atomic word, so a worker reads them at one instant; a
// release after that instant always shows as a changed release count.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace plenwick {

class ScannerDescriptorLedger {
public:
    struct Snapshot {
        std::uint32_t held = 0;     // open now, to be released by the scan
        std::uint32_t releases = 0; // released so far (wrapping)
    };

    // A descriptor the scan opened and will close.
    void opened() noexcept { state_.fetch_add(1); }
    // One it closed; wakes waiting workers.
    void closed() noexcept {
        state_.fetch_add(releaseUnit - 1);
        wakeWaiters();
    }
    // One it keeps until the scan ends: no longer counted as to be released.
    void pinned() noexcept { state_.fetch_sub(1); }
    // A pinned one closed after all.
    void unpinned() noexcept {
        state_.fetch_add(releaseUnit);
        wakeWaiters();
    }

    Snapshot snapshot() const noexcept {
        const std::uint64_t s = state_.load();
        return {static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(s >> 32)};
    }

    // Waits until the release count differs from `since.releases`, or `timeout`
    // has passed; true when it differs.
    bool waitForRelease(Snapshot since, std::chrono::microseconds timeout);

private:
    static constexpr std::uint64_t releaseUnit = std::uint64_t{1} << 32;
    void wakeWaiters() noexcept {
        if (waiters_.load() == 0) return;
        std::lock_guard guard(lock_);
        condition_.notify_all();
    }

    std::atomic<std::uint64_t> state_{0};
    std::atomic<int> waiters_{0};
    std::mutex lock_;
    std::condition_variable condition_;
};

} // namespace plenwick
