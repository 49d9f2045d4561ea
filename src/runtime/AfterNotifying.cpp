#include "runtime/AfterNotifying.h"

#include "runtime/OperationWhileNotifying.h"

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <utility>

namespace plenwick {

namespace {

int waitingReports = 0;

// Counts a report as waiting while its queued call exists, run or dropped.
struct Waiting {
    Waiting() noexcept { ++waitingReports; }
    ~Waiting() { --waitingReports; }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;
};

} // namespace

void callAfterNotifying(QObject* context, std::function<void()> report) {
    if (!report) return;
    if (waitingReports == 0 && !observersBeingNotified()) {
        report();
        return;
    }
    QMetaObject::invokeMethod(
        context,
        [waiting = std::make_shared<Waiting>(), report = std::move(report)]() mutable {
            // No longer waiting once it runs: what it starts may report at once.
            waiting.reset();
            report();
        },
        Qt::QueuedConnection);
}

} // namespace plenwick
