#pragma once
// What the main window puts in front of the user: the last error (with its title),
// the item awaiting confirmation of its move to the Trash, and the uninstall session
// shown.

#include "app/StateChanges.h"
#include "scanner/FileNode.h"
#include "uninstaller/UninstallSession.h"

#include <memory>
#include <optional>
#include <string>

namespace plenwick {

class NodeMapping;

class Alerts {
public:
    explicit Alerts(StateChanges& changes) noexcept : changes_(changes) {}
    Alerts(const Alerts&) = delete;
    Alerts& operator=(const Alerts&) = delete;

    const std::optional<std::string>& lastError() const noexcept { return lastError_; }
    const std::optional<std::string>& lastErrorTitle() const noexcept { return lastErrorTitle_; }
    const NodeRef& pendingTrash() const noexcept { return pendingTrash_; }
    const std::shared_ptr<UninstallSession>& uninstallSession() const noexcept { return uninstallSession_; }

    void setLastError(std::optional<std::string> message, std::optional<std::string> title = std::nullopt);
    void setPendingTrash(NodeRef node) { changes_.assign(pendingTrash_, std::move(node), StateField::pendingTrash); }
    // Every assignment is a change, even of the same session.
    void setUninstallSession(std::shared_ptr<UninstallSession> session);
    // A session in collector mode gathers for the tree: it closes when the tree goes.
    void closeCollectorSession();
    // After an edit of the tree: the pending item moves to its counterpart, or none.
    void remap(const NodeMapping& mapping);

private:
    StateChanges& changes_;
    std::optional<std::string> lastError_;
    std::optional<std::string> lastErrorTitle_;
    NodeRef pendingTrash_;
    std::shared_ptr<UninstallSession> uninstallSession_;
};

} // namespace plenwick
