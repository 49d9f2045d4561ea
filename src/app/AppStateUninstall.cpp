// The uninstall entry: checking a chosen app, showing one session at a time, and the
// leftover offer after an app went to the Trash.

#include "app/AppState.h"

#include "uninstaller/UninstallRefusal.h"

#include <QPointer>

namespace plenwick {

namespace {
const char* const cantUninstallTitle = "Can’t Uninstall";
} // namespace

std::shared_ptr<UninstallSession> AppState::makeUninstallSession(const AppBundleInfo& app,
                                                                 UninstallSession::Mode mode) {
    return std::make_shared<UninstallSession>(app, mode, environment_.uninstall);
}

void AppState::uninstallApp(const std::string& bundleURL) {
    assertGuiThread();
    Operation op(*this);
    const auto app = AppBundleInfo::read(bundleURL);
    if (std::optional<std::string> refusal = uninstallRefusal(bundleURL, app)) {
        alerts_.setLastError(std::move(refusal), std::string(cantUninstallTitle));
        return;
    }
    presentUninstallSession(makeUninstallSession(*app, UninstallSession::Mode::uninstall));
}

void AppState::presentUninstallSession(std::shared_ptr<UninstallSession> session) {
    assertGuiThread();
    if (!session) return;
    // Presenting a session again wires it once.
    UninstallSession* shown = session.get();
    disconnect(shown, &UninstallSession::closeRequested, this, nullptr);
    disconnect(shown, &UninstallSession::trashed, this, nullptr);
    connect(shown, &UninstallSession::closeRequested, this, [this, shown] { closeUninstallSession(shown); });
    connect(shown, &UninstallSession::trashed, this, &AppState::sessionTrashed);
    setUninstallSession(std::move(session));
}

void AppState::closeUninstallSession(const UninstallSession* session) {
    assertGuiThread();
    if (session && uninstallSession().get() == session) setUninstallSession(nullptr);
}

void AppState::sessionTrashed(const std::vector<std::string>& urls) {
    assertGuiThread();
    Operation op(*this);
    // The scanned folder itself, or a folder holding it, went: nothing of the results stands.
    if (resetIfRootRemoved(urls)) return;
    std::vector<NodeRef> nodes;
    for (const std::string& url : urls) {
        NodeRef node = nodeForURL(url);
        if (node && node->parent()) nodes.push_back(std::move(node));
    }
    if (nodes.empty()) return;
    removeTrashedNodes(nodes);
    refreshScanVolumeForRoot();
}

void AppState::offerLeftoversAfterTrash(const AppBundleInfo& app, std::optional<std::string> iconURL) {
    assertGuiThread();
    if (!offerLeftoversSetting()) return;
    if (isSystemBundleID(app.bundleID)) return;
    std::shared_ptr<UninstallSession> session = makeUninstallSession(app, UninstallSession::Mode::afterTrash);
    session->setIconURL(std::move(iconURL));
    // The search's completion keeps the session alive until it has been judged.
    QPointer<AppState> state(this);
    UninstallSession* searched = session.get();
    searched->start([state, session]() mutable {
        if (state && !session->remnants().empty() && !state->uninstallSession())
            state->presentUninstallSession(std::move(session));
    });
}

} // namespace plenwick
