#pragma once
// An executor that runs nothing by itself: jobs wait until the owner runs them, on
// the owner's thread, in any order. Lets tests decide which background work
// finishes first.

#include "runtime/Executor.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace plenwick {

class ManualExecutor final : public Executor {
public:
    void post(std::function<void()> job) override { jobs_.push_back(std::move(job)); }

    std::size_t pendingCount() const noexcept { return jobs_.size(); }
    // Runs the job at `index` among the pending ones (0 is the oldest) and removes it.
    void run(std::size_t index) {
        std::function<void()> job = std::move(jobs_.at(index));
        jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(index));
        job();
    }
    void runOldest() { run(0); }
    void runNewest() { run(jobs_.size() - 1); }
    // Runs every pending job, oldest first, including jobs posted meanwhile.
    void runAll() {
        while (!jobs_.empty()) runOldest();
    }
    // Forgets every pending job without running it.
    void discardAll() { jobs_.clear(); }

private:
    std::vector<std::function<void()>> jobs_;
};

} // namespace plenwick
