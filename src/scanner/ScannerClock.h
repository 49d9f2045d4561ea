#pragma once
// The raw monotonic clock the progress throttle reads (CLOCK_MONOTONIC_RAW).

#include <cstdint>
#include <ctime>

namespace plenwick {

inline std::uint64_t monotonicRawNanoseconds() noexcept {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

} // namespace plenwick
