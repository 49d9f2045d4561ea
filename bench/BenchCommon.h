#pragma once
// What the benchmark programs share: the command line, the thread count, a clock
// and the one result line they print.

#include "base/ProcessorCount.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <concepts>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <sys/resource.h>

namespace plenwick::bench {

template <typename Number>
bool parseNumber(const char* text, Number& out) {
    const char* end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, out);
    return ec == std::errc{} && ptr == end;
}

// PATH [--workers N] [--no-stats]; workers is 0 when not given.
struct WalkArguments {
    const char* path = nullptr;
    int workers = 0;
    bool stats = true; // only the scan benchmark reads it
};

// Reads the command line of `program`; prints its usage and exits when it is wrong.
inline WalkArguments parseWalkArguments(int argc, char** argv, const char* program) {
    WalkArguments out;
    bool ok = true;
    for (int i = 1; ok && i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--workers" && i + 1 < argc) {
            ok = parseNumber(argv[++i], out.workers) && out.workers > 0;
        } else if (arg == "--no-stats") {
            out.stats = false;
        } else if (!out.path && !arg.starts_with("--")) {
            out.path = argv[i];
        } else {
            ok = false;
        }
    }
    if (!ok || !out.path) {
        std::fprintf(stderr, "usage: %s PATH [--workers N] [--no-stats]\n", program);
        std::exit(2);
    }
    return out;
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system, all threads) the process has used so far: on a
// machine shared with other work it varies far less than the wall time.
inline double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One line of `key=value` figures, in the order they are added.
class ResultLine {
public:
    template <std::integral Integer>
    void add(std::string_view key, Integer value) { append(key, std::to_string(value)); }
    void add(std::string_view key, double value, int decimals = 3) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        append(key, text);
    }
    void print() const { std::printf("%s\n", line_.c_str()); }

private:
    void append(std::string_view key, std::string_view value) {
        if (!line_.empty()) line_ += ' ';
        line_.append(key).append("=").append(value);
    }
    std::string line_;
};

} // namespace plenwick::bench
