#pragma once
// Runs a computation on an executor and hands its outcome back to the GUI thread.
//
// Exactly one of `deliver(result)` and `fail(error)` runs, on the GUI thread, by a
// queued call on the application object, and only while `owner` still exists (the
// weak capture): a late outcome for a destroyed owner is dropped. Whatever `work`
// throws is caught on the worker and reaches `fail` as an exception pointer, so a
// failing job never takes the program down. The work function itself travels back
// with the outcome, so whatever it captured (node references in particular) is
// released on the GUI thread, never on the worker.

#include "runtime/Executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <exception>
#include <memory>
#include <optional>
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

} // namespace plenwick
