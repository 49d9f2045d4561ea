#pragma once
// What one read of an untrusted file may cost, measured in a forked child: processor
// time and the growth of resident memory, under caps that end a read that would take
// the machine's memory or minutes of work.

#include "common/TestSupport.h"

#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace plenwick::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool sanitized = true;
#else
inline constexpr bool sanitized = false;
#endif

struct CostBounds {
    long milliseconds; // of processor time
    long growthKiB;    // of resident memory at its peak
};

// Any one app file (an AppImage, a folder's entries, an entry) read whatever it holds:
// 2 s and 64 MB, more time under sanitizers.
inline constexpr CostBounds appFileBounds{sanitized ? 10'000 : 2'000, 64 * 1024};

inline rusage usageNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

// Processor time (user and system) spent between two readings: unlike the clock on
// the wall, it doesn't grow with the load of other programs.
inline long millisecondsBetween(const rusage& from, const rusage& to) {
    const auto microseconds = [](const timeval& t) { return t.tv_sec * 1'000'000L + t.tv_usec; };
    return (microseconds(to.ru_utime) - microseconds(from.ru_utime) + microseconds(to.ru_stime) -
            microseconds(from.ru_stime)) / 1000;
}

// Runs `body` in a forked child held to a processor-time cap and, outside sanitizer
// builds (whose shadow memory needs the address space), to 256 MiB more address space
// than it starts with. What `body` returned, followed by what it cost beyond
// `bounds` ("; took N ms", "; grew by N KiB"), or "child failed" when a cap or a
// crash ended it.
inline std::string withinLimits(const std::function<std::string()>& body, CostBounds bounds) {
    return inChild([&] {
        const rlim_t seconds = static_cast<rlim_t>(bounds.milliseconds / 1000 + 10);
        const rlimit cpu{seconds, seconds + 1};
        setrlimit(RLIMIT_CPU, &cpu);
        if constexpr (!sanitized) {
            std::size_t pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t size = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
            const rlimit memory{size, size};
            setrlimit(RLIMIT_AS, &memory);
        }
        const rusage before = usageNow();
        std::string out = body();
        const rusage after = usageNow();
        const long took = millisecondsBetween(before, after);
        const long grew = after.ru_maxrss - before.ru_maxrss;
        if (took > bounds.milliseconds) out += "; took " + std::to_string(took) + " ms";
        // Sanitizers keep freed memory in quarantine and shadow what is touched.
        if (!sanitized && grew > bounds.growthKiB) out += "; grew by " + std::to_string(grew) + " KiB";
        return out;
    });
}

} // namespace plenwick::test
