#pragma once
// Reports of a widget's pointer events, kept out of the observers' notifications.
// Qt sends Enter, Leave and mouse-move events synchronously when a widget under the
// pointer is shown, hidden, moved or resized, and views do that from inside their
// `changed` handlers; an operation of the state started from such an event would
// re-enter it (OperationWhileNotifying.h). A report made then runs once the event loop
// turns; every other report runs at once, so ordinary pointer motion keeps no delay.

#include <functional>

class QObject;

namespace plenwick {

// Runs `report` now, or later when observers are being notified. A report made while
// earlier ones still wait is queued behind them, whichever widget made them, so the
// state hears of leaves and enters in the order they happened. A waiting report is
// dropped when `context` is destroyed first. GUI thread only.
void callAfterNotifying(QObject* context, std::function<void()> report);

} // namespace plenwick
