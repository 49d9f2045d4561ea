#pragma once
// An observer that starts an operation of an observable object from inside its
// `changed` signal makes the object emit again while other observers still wait for
// the first signal, and they then see the two in the wrong order. Every observable
// reports such a start here (ObservedFields.h). By default a warning names the
// operation; the tests install a handler that fails the running test.

#include <source_location>

namespace plenwick {

using OperationWhileNotifyingHandler = void (*)(const std::source_location& operation);

// Installs the handler (none restores the warning) and returns the previous one.
OperationWhileNotifyingHandler setOperationWhileNotifyingHandler(OperationWhileNotifyingHandler handler) noexcept;

void reportOperationWhileNotifying(const std::source_location& operation) noexcept;

// Whether some observable object on the GUI thread is telling its observers of a change
// right now. Each notification holds a NotifyingObservers while it runs.
bool observersBeingNotified() noexcept;

class NotifyingObservers {
public:
    NotifyingObservers() noexcept;
    ~NotifyingObservers();
    NotifyingObservers(const NotifyingObservers&) = delete;
    NotifyingObservers& operator=(const NotifyingObservers&) = delete;
};

} // namespace plenwick
