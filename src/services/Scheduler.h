#pragma once
// Waiting on the GUI thread without blocking it. The program waits with timers;
// tests substitute a scheduler whose time they advance by hand.

#include <QObject>

#include <chrono>
#include <functional>

namespace plenwick {

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Calls `fn` on `context`'s thread once `delay` has passed, unless `context` is
    // gone by then.
    virtual void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> fn) = 0;
};

// A single-shot timer per wait.
class TimerScheduler final : public Scheduler {
public:
    void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> fn) override;
};

} // namespace plenwick
