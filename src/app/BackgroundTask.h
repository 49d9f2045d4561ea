#pragma once
// Runs a computation on an executor and hands its outcome back to the GUI thread,
// and suspends a GUI-thread task for a while (taskSleep).
//
// Exactly one of `deliver(result)` and `fail(error)` runs, on the GUI thread, by a
// queued call on the application object, and only while `owner` still exists (the
// weak capture): a late outcome for a destroyed state is dropped. Whatever `work`
// throws is caught on the worker and reaches `fail` as an exception pointer, so a
// failing job never takes the program down. The work function itself travels back
// with the outcome, so whatever it captured (node references in particular) is
// released on the GUI thread, never on the worker.

#include "app/Executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

namespace plenwick {

template <class Work, class Deliver, class Fail>
void runInBackground(Executor& executor, QObject* owner, Work work, Deliver deliver, Fail fail) {
    using Result = decltype(work());
    struct Job {
        QPointer<QObject> owner;
        Work work;
        Deliver deliver;
        Fail fail;
        std::optional<Result> result;
        std::exception_ptr error;
    };
    auto job = std::make_shared<Job>(
        Job{QPointer<QObject>(owner), std::move(work), std::move(deliver), std::move(fail), std::nullopt, nullptr});
    executor.post([job]() mutable {
        try {
            job->result.emplace(job->work());
        } catch (...) {
            job->error = std::current_exception();
        }
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [job = std::move(job)]() mutable {
                if (!job->owner) return;
                if (job->error) job->fail(std::move(job->error));
                else job->deliver(std::move(*job->result));
            },
            Qt::QueuedConnection);
    });
}

// Wakes the GUI thread after a delay. The program uses the event loop's timers;
// tests substitute a clock they move by hand (ManualClock).
class TaskClock {
public:
    virtual ~TaskClock() = default;
    // Calls `wake` on the GUI thread once `delay` has passed, unless `owner` is gone by then.
    virtual void schedule(std::chrono::milliseconds delay, QObject* owner, std::function<void()> wake) = 0;
    // The process's clock: precise single-shot timers on the monotonic clock.
    static TaskClock& standard();
};

// Suspends a GUI-thread task: calls `resume` exactly once, on the GUI thread, when
// `delay` has passed or, if `stop` is requested first, as soon as the event loop gets
// to it. The wait ends either way; `resume` tells the two apart by `stop`. Nothing
// runs once `owner` is gone.
void taskSleep(TaskClock& clock, QObject* owner, std::chrono::milliseconds delay, std::stop_token stop,
               std::function<void()> resume);

} // namespace plenwick
