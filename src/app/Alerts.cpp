#include "app/Alerts.h"

#include "app/NodeMapping.h"

namespace plenwick {

void Alerts::setLastError(std::optional<std::string> message, std::optional<std::string> title) {
    changes_.assign(lastError_, std::move(message), StateField::lastError);
    changes_.assign(lastErrorTitle_, std::move(title), StateField::lastErrorTitle);
}

void Alerts::setUninstallSession(std::shared_ptr<UninstallSession> session) {
    uninstallSession_ = std::move(session);
    changes_.touch(StateField::uninstallSession);
}

void Alerts::closeCollectorSession() {
    if (uninstallSession_ && uninstallSession_->mode() == UninstallSession::Mode::collector) setUninstallSession(nullptr);
}

void Alerts::remap(const NodeMapping& mapping) {
    if (pendingTrash_) setPendingTrash(mapping.counterpart(pendingTrash_));
}

} // namespace plenwick
