#pragma once
// Per-worker counters not yet added to the engine's running totals.

#include <cstdint>

namespace plenwick {

struct ScannerTally {
    std::int64_t files = 0;
    std::int64_t directories = 0;
    std::int64_t bytes = 0;
    std::int64_t errors = 0;
};

} // namespace plenwick
