#include "services/Scheduler.h"

#include <QTimer>

namespace plenwick {

void TimerScheduler::after(std::chrono::milliseconds delay, QObject* context, std::function<void()> fn) {
    QTimer::singleShot(delay, context, std::move(fn));
}

} // namespace plenwick
