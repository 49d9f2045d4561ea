#include "runtime/TaskClock.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

namespace plenwick {

namespace {

// One wait: whichever of the clock and the stop request comes first resumes the task.
struct Sleep {
    std::function<void()> resume;
    std::optional<std::stop_callback<std::function<void()>>> onStop;

    void finish() {
        if (!resume) return;
        std::function<void()> r = std::move(resume);
        resume = nullptr;
        onStop.reset();
        r();
    }
};

} // namespace

void TimerClock::schedule(std::chrono::milliseconds delay, QObject* owner, std::function<void()> wake) {
    QTimer::singleShot(delay, Qt::PreciseTimer, owner, std::move(wake));
}

TaskClock& TaskClock::standard() {
    static TimerClock clock;
    return clock;
}

void taskSleep(TaskClock& clock, QObject* owner, std::chrono::milliseconds delay, std::stop_token stop,
               std::function<void()> resume) {
    auto sleep = std::make_shared<Sleep>();
    sleep->resume = std::move(resume);
    // The stop may be requested on any thread: the wake-up is posted to the GUI thread,
    // where the owner is checked (the weak capture).
    std::function<void()> wakeEarly = [weak = std::weak_ptr<Sleep>(sleep), guard = QPointer<QObject>(owner)] {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [weak, guard] {
                if (!guard) return;
                if (std::shared_ptr<Sleep> s = weak.lock()) s->finish();
            },
            Qt::QueuedConnection);
    };
    sleep->onStop.emplace(std::move(stop), std::move(wakeEarly));
    clock.schedule(delay, owner, [sleep] { sleep->finish(); });
}

} // namespace plenwick
