#pragma once
// Waiting on the GUI thread without blocking it: a clock that wakes a task after a
// delay, and the cancellable wait of GUI-thread tasks (taskSleep).

#include <QObject>

#include <chrono>
#include <functional>
#include <stop_token>

namespace plenwick {

// Wakes the GUI thread after a delay. The programs use the event loop's timers
// (TimerClock); tests substitute a clock they move by hand (ManualClock).
class TaskClock {
public:
    virtual ~TaskClock() = default;
    // Calls `wake` on the GUI thread once `delay` has passed, unless `owner` is gone by then.
    virtual void schedule(std::chrono::milliseconds delay, QObject* owner, std::function<void()> wake) = 0;
    // The process's clock, a TimerClock.
    static TaskClock& standard();
};

// Precise single-shot timers on the monotonic clock, one per wait.
class TimerClock final : public TaskClock {
public:
    void schedule(std::chrono::milliseconds delay, QObject* owner, std::function<void()> wake) override;
};

// Suspends a GUI-thread task: calls `resume` exactly once, on the GUI thread, when
// `delay` has passed or, if `stop` is requested first, as soon as the event loop gets
// to it. The wait ends either way; `resume` tells the two apart by `stop`. Nothing
// runs once `owner` is gone.
void taskSleep(TaskClock& clock, QObject* owner, std::chrono::milliseconds delay, std::stop_token stop,
               std::function<void()> resume);

} // namespace plenwick
