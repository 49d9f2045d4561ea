#include "base/ProcessorCount.h"

#include <sched.h>
#include <unistd.h>

#include <cstddef>

namespace plenwick {

unsigned availableProcessors() noexcept {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<unsigned>(count);
    } else {
        // More processors than a cpu_set_t holds: ask with a bigger set.
        for (int cpus = 2048; cpus <= 65536; cpus *= 2) {
            cpu_set_t* big = CPU_ALLOC(cpus);
            if (!big) break;
            const std::size_t size = CPU_ALLOC_SIZE(cpus);
            CPU_ZERO_S(size, big);
            const bool ok = sched_getaffinity(0, size, big) == 0;
            const int count = ok ? CPU_COUNT_S(size, big) : 0;
            CPU_FREE(big);
            if (ok && count > 0) return static_cast<unsigned>(count);
        }
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}

} // namespace plenwick
