#include "app/FailureReport.h"

#include "app/AppState.h"

#include <QPointer>

namespace plenwick {

std::function<void(const QString& title, const QString& message)> reportTo(AppState& state) {
    return [state = QPointer<AppState>(&state)](const QString& title, const QString& message) {
        if (state) state->setLastError(message.toStdString(), title.toStdString());
    };
}

} // namespace plenwick
