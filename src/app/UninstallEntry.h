#pragma once
// The uninstall entry: checking a chosen app, showing one session at a time, the
// leftover offer for a collected app and after an app went to the Trash, and
// reflecting in the tree what a session moved. Session signals and searches reach
// this object only while it lives.
//
// An app is read in the background on the user-initiated executor (an AppImage's
// entry lies in its compressed image); its outcome is applied on the GUI thread only
// when it answers the latest request: a newer uninstall or accepted offer stops the
// read under way and drops its outcome.

#include "app/AppEnvironment.h"
#include "app/StateChanges.h"
#include "app/TreeUpkeep.h"
#include "services/AppBundleInfo.h"
#include "uninstaller/UninstallSession.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
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
    ~UninstallEntry() { readStop_.request_stop(); }

    // Reads the app in the background, then opens an uninstall session for it;
    // refuses, with the alert "Can’t Uninstall", an app it can't read and one that
    // comes with the system. The session's view starts the search.
    void uninstallApp(const std::string& bundleURL);
    // Shows `session`, replacing any shown one; its closeRequested closes it and its
    // trashed reaches the tree.
    void presentUninstallSession(std::shared_ptr<UninstallSession> session);
    // Closes the shown session, but only when it is `session`.
    void closeUninstallSession(const UninstallSession* session);
    // Reflects in the tree what a session moved to the Trash.
    void sessionTrashed(const std::vector<std::string>& urls);
    // Answers the first leftover offer of the collector; accepted, the app is read in
    // the background and, when it is still collected then, a collector-mode session
    // opens for it whose choice goes to its leftovers.
    void respondToLeftoverOffer(bool accept);
    // After an app went to the Trash: searches its leftovers and shows the session
    // when it found some and no other session is shown.
    void offerLeftoversAfterTrash(const AppBundleInfo& app, std::optional<std::string> iconURL);
    // A session for `app` over the program's services; not started.
    std::shared_ptr<UninstallSession> makeUninstallSession(const AppBundleInfo& app, UninstallSession::Mode mode) const;

    // Whether the app of the latest request is being read.
    bool isReadingApp() const noexcept { return reading_; }

private:
    using ReadApplied = std::function<void(std::optional<AppBundleInfo>)>;
    // Reads the app at `path` in the background, stopping the read of an earlier
    // request; `apply` hears the outcome on the GUI thread unless a newer request came.
    void readAppThen(std::string path, ReadApplied apply);
    // The collected node that stands for `app` read from `path`: the node itself, or
    // after a rescan the collected node now at its path; none when neither is collected.
    NodeRef collectedApp(const NodeRef& app, const std::string& path) const;
    void openCollectorSession(const AppBundleInfo& bundle, const NodeRef& app);

    StateChanges& changes_;
    const AppEnvironment& environment_;
    const ScanResults& results_;
    Alerts& alerts_;
    TrashMoves& trashMoves_;
    TreeUpkeep upkeep_;
    std::stop_source readStop_;   // the app read of the latest request
    std::uint64_t readRequest_ = 0;
    bool reading_ = false;
    QObject lifetime_;
};

} // namespace plenwick
