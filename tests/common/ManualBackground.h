#pragma once
// Background work that runs only when a test says so: the jobs wait on a manual
// executor, and each run ends by delivering their outcomes on the GUI thread (where an
// outcome for an owner that is gone is dropped).

#include "runtime/ManualExecutor.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace plenwick::test {

class ManualBackground {
public:
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();

    std::size_t size() const { return executor->pendingCount(); }
    bool empty() const { return size() == 0; }

    // Runs the jobs pending now at the given indices (0 is the oldest; none given: all
    // of them), in that order, then delivers what they posted.
    void run(std::vector<std::size_t> order = {}) {
        if (order.empty())
            for (std::size_t i = 0; i < size(); ++i) order.push_back(i);
        std::vector<std::size_t> done;
        for (std::size_t index : order) {
            // Each job run before shifts the later ones down by one.
            const auto before = std::count_if(done.begin(), done.end(), [index](std::size_t d) { return d < index; });
            executor->run(index - static_cast<std::size_t>(before));
            done.push_back(index);
        }
        QCoreApplication::sendPostedEvents();
    }
    void run(std::size_t index) { run(std::vector<std::size_t>{index}); }
    // Runs every pending job and delivers its outcome, oldest first, until none is
    // left (including the work that a delivery starts).
    void runAll() {
        while (!empty()) run(0);
    }
};

} // namespace plenwick::test
