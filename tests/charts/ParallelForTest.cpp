// The parallel loop under the cushion renderer: every index once, and a throwing
// body stops the loop without leaving a pool thread inside it.
#include "charts/ParallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace plenwick;

TEST(ParallelFor, EveryIndexRunsExactlyOnce) {
    for (unsigned limit : {0u, 1u, 3u}) {
        std::vector<std::atomic<int>> runs(5000);
        parallelFor(runs.size(), [&](std::size_t i) { runs[i].fetch_add(1); }, limit);
        int wrong = 0;
        for (const auto& r : runs) wrong += r.load() != 1;
        EXPECT_EQ(wrong, 0) << "limit " << limit;
    }
}

TEST(ParallelFor, AThrowingBodyReachesTheCallerAfterEveryThreadHasLeftIt) {
    std::atomic<int> inside{0};
    std::atomic<bool> returned{false};
    std::atomic<int> lateCalls{0};
    auto body = [&](std::size_t i) {
        if (returned.load()) ++lateCalls;
        ++inside;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --inside;
        if (i % 7 == 3) throw std::runtime_error("cell " + std::to_string(i));
    };
    for (int round = 0; round < 3; ++round) {
        returned = false;
        EXPECT_THROW(parallelFor(400, body), std::runtime_error);
        returned = true;
        EXPECT_EQ(inside.load(), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(lateCalls.load(), 0);

    // The pool is still whole afterwards.
    std::atomic<std::size_t> sum{0};
    parallelFor(1000, [&](std::size_t i) { sum += i; });
    EXPECT_EQ(sum.load(), 999u * 1000u / 2);
}
