#pragma once
// Runs a computation on an executor and hands its result back to the GUI thread.
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

#include <memory>
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

} // namespace plenwick
