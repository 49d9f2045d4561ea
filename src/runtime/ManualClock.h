#pragma once
// A task clock that stands still until its owner moves it (tests): waits end when the
// test says so, in the order of their due times.

#include "runtime/TaskClock.h"

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
        waits_.push_back(delay);
        pending_.push_back({now_ + delay, QPointer<QObject>(owner), std::move(wake)});
    }

    std::chrono::milliseconds now() const noexcept { return now_; }
    // Waits that have not come due yet.
    std::size_t pendingCount() const noexcept { return pending_.size(); }
    // Every delay asked for, in order, since the clock was made or last forgot them.
    const std::vector<std::chrono::milliseconds>& waits() const noexcept { return waits_; }
    void forgetWaits() noexcept { waits_.clear(); }

    // Moves time on by `step`, waking every wait that comes due, earliest first. Time
    // passes wait by wait: a wake-up sees the clock at its own due time, so a wait it
    // asks for comes due within the same step when it fits.
    void advance(std::chrono::milliseconds step) {
        const std::chrono::milliseconds until = now_ + step;
        for (;;) {
            auto due = std::min_element(pending_.begin(), pending_.end(),
                                        [](const Wait& a, const Wait& b) { return a.at < b.at; });
            if (due == pending_.end() || due->at > until) break;
            Wait wait = std::move(*due);
            pending_.erase(due);
            now_ = std::max(now_, wait.at);
            if (wait.owner) wait.wake();
        }
        now_ = until;
    }

private:
    struct Wait {
        std::chrono::milliseconds at;
        QPointer<QObject> owner;
        std::function<void()> wake;
    };
    std::chrono::milliseconds now_{0};
    std::vector<Wait> pending_;
    std::vector<std::chrono::milliseconds> waits_;
};

} // namespace plenwick
