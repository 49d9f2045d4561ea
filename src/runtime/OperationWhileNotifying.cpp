#include "runtime/OperationWhileNotifying.h"

#include <atomic>
#include <cstdio>

namespace plenwick {

namespace {

void warn(const std::source_location& operation) {
    std::fprintf(stderr, "Plenwick: %s started while its object was notifying its observers (%s:%u)\n",
                 operation.function_name(), operation.file_name(), static_cast<unsigned>(operation.line()));
}

std::atomic<OperationWhileNotifyingHandler> installed{nullptr};

// Notifications run on the GUI thread only.
int notificationsRunning = 0;

} // namespace

OperationWhileNotifyingHandler setOperationWhileNotifyingHandler(OperationWhileNotifyingHandler handler) noexcept {
    return installed.exchange(handler);
}

void reportOperationWhileNotifying(const std::source_location& operation) noexcept {
    if (const OperationWhileNotifyingHandler handler = installed.load())
        handler(operation);
    else
        warn(operation);
}

bool observersBeingNotified() noexcept { return notificationsRunning > 0; }

NotifyingObservers::NotifyingObservers() noexcept { ++notificationsRunning; }
NotifyingObservers::~NotifyingObservers() { --notificationsRunning; }

} // namespace plenwick
