#pragma once
// The uninstall entry: checking a chosen app, showing one session at a time, the
// leftover offer for a collected app and after an app went to the Trash, and
// reflecting in the tree what a session moved. Session signals and searches reach
// this object only while it lives.

#include "app/AppEnvironment.h"
#include "app/StateChanges.h"
#include "app/TreeUpkeep.h"
#include "services/AppBundleInfo.h"
#include "uninstaller/UninstallSession.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class Alerts;
class ScanResults;
class TrashMoves;

class UninstallEntry {
public:
    UninstallEntry(StateChanges& changes, const AppEnvironment& environment, const ScanResults& results,
                   Alerts& alerts, TrashMoves& trashMoves, TreeUpkeep upkeep)
        : changes_(changes), environment_(environment), results_(results), alerts_(alerts), trashMoves_(trashMoves),
          upkeep_(std::move(upkeep)) {}
    UninstallEntry(const UninstallEntry&) = delete;
    UninstallEntry& operator=(const UninstallEntry&) = delete;

    // Reads the bundle and opens an uninstall session for it; refuses, with the
    // alert "Can’t Uninstall", a bundle it can't read and an app that is part of the
    // system. The session's view starts the search.
    void uninstallApp(const std::string& bundleURL);
    // Shows `session`, replacing any shown one; its closeRequested closes it and its
    // trashed reaches the tree.
    void presentUninstallSession(std::shared_ptr<UninstallSession> session);
    // Closes the shown session, but only when it is `session`.
    void closeUninstallSession(const UninstallSession* session);
    // Reflects in the tree what a session moved to the Trash.
    void sessionTrashed(const std::vector<std::string>& urls);
    // Answers the first leftover offer of the collector; accepted, it opens a
    // collector-mode session for the app whose choice goes to its leftovers.
    void respondToLeftoverOffer(bool accept);
    // After an app went to the Trash: searches its leftovers and shows the session
    // when it found some and no other session is shown.
    void offerLeftoversAfterTrash(const AppBundleInfo& app, std::optional<std::string> iconURL);
    // A session for `app` over the program's services; not started.
    std::shared_ptr<UninstallSession> makeUninstallSession(const AppBundleInfo& app, UninstallSession::Mode mode) const;

private:
    StateChanges& changes_;
    const AppEnvironment& environment_;
    const ScanResults& results_;
    Alerts& alerts_;
    TrashMoves& trashMoves_;
    TreeUpkeep upkeep_;
    QObject lifetime_;
};

} // namespace plenwick
