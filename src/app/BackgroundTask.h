#pragma once
// Runs a computation on an executor and hands its result back to the GUI thread,
// and suspends a GUI-thread task for a while (taskSleep).
//
// The result is delivered by a queued call on the application object, and only while
// `owner` still exists (the weak capture): a late result for a destroyed state is
// dropped. The work function itself travels back with the result, so whatever it
// captured (node references in particular) is released on the GUI thread, never on
// the worker.

#include "app/Executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <utility>

namespace plenwick {

template <class Work, class Deliver>
void runInBackground(Executor& executor, QObject* owner, Work work, Deliver deliver) {
    using Result = decltype(work());
    struct Job {
        QPointer<QObject> owner;
        Work work;
        Deliver deliver;
        std::unique_ptr<Result> result;
    };
    auto job = std::make_shared<Job>(Job{QPointer<QObject>(owner), std::move(work), std::move(deliver), nullptr});
    executor.post([job]() mutable {
        job->result = std::make_unique<Result>(job->work());
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [job = std::move(job)]() mutable {
                if (!job->owner) return;
                job->deliver(std::move(*job->result));
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
