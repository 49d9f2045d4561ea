#pragma once
// A task clock that stands still until the owner moves it: waits end when a test
// says so, in the order of their due times.

#include "app/BackgroundTask.h"

#include <QPointer>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace plenwick {

class ManualClock final : public TaskClock {
public:
    void schedule(std::chrono::milliseconds delay, QObject* owner, std::function<void()> wake) override {
        pending_.push_back({now_ + delay, QPointer<QObject>(owner), std::move(wake)});
    }

    std::chrono::milliseconds now() const noexcept { return now_; }
    // Waits that have not come due yet.
    std::size_t pendingCount() const noexcept { return pending_.size(); }

    // Moves time on by `step`, waking every wait that comes due, earliest first.
    void advance(std::chrono::milliseconds step) {
        now_ += step;
        for (;;) {
            auto due = std::min_element(pending_.begin(), pending_.end(),
                                        [](const Wait& a, const Wait& b) { return a.at < b.at; });
            if (due == pending_.end() || due->at > now_) return;
            Wait wait = std::move(*due);
            pending_.erase(due);
            if (wait.owner) wait.wake();
        }
    }

private:
    struct Wait {
        std::chrono::milliseconds at;
        QPointer<QObject> owner;
        std::function<void()> wake;
    };
    std::chrono::milliseconds now_{0};
    std::vector<Wait> pending_;
};

} // namespace plenwick
