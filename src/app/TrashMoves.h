#pragma once
// The collector and the moves to the Trash: adding and removing items under the
// collector's rules, the leftovers chosen for collected apps, moving the whole
// collector or the one item awaiting confirmation, and pruning what moved from the
// tree.
//
// The moves run in the background on the user-initiated executor (the administrator
// step may wait for a password); the state changes only when their outcome is back on
// the GUI thread, and then by identity: whatever left the tree meanwhile is passed
// over. Outcomes reach this object only while it lives.

#include "app/AppEnvironment.h"
#include "app/Collector.h"
#include "app/StateChanges.h"
#include "app/TreeUpkeep.h"
#include "scanner/FileNode.h"
#include "services/AppBundleInfo.h"
#include "uninstaller/Remnant.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace plenwick {

class Alerts;
class Presentation;
class ScanResults;

class TrashMoves {
public:
    TrashMoves(StateChanges& changes, const AppEnvironment& environment, ScanResults& results,
               const Presentation& presentation, Alerts& alerts, TreeUpkeep upkeep)
        : changes_(changes), environment_(environment), results_(results), presentation_(presentation),
          alerts_(alerts), upkeep_(std::move(upkeep)), collector_(changes) {}
    TrashMoves(const TrashMoves&) = delete;
    TrashMoves& operator=(const TrashMoves&) = delete;
    // An app read under way for a move stops; its outcome is dropped.
    ~TrashMoves() { stop_.request_stop(); }

    const Collector& collector() const noexcept { return collector_; }
    Collector& collector() noexcept { return collector_; }

    // ---- The collector ----
    // Adds the nodes strictly inside the tree that are neither collected nor inside a
    // collected folder or another node of the call; the Trash's own folders are left
    // out, and collected items inside an added folder leave. Newly collected apps are
    // queued for the leftover offer while the setting is on.
    void addToCollector(const std::vector<NodeRef>& nodes);
    void removeFromCollector(const NodeRef& node);
    // The only way to change the items as a whole.
    void syncCollector(std::vector<NodeRef> nodes);
    // The leftovers chosen for a collected app: those in the tree are collected, the
    // others recorded with the app. One that is or holds the scanned folder is refused.
    void acceptLeftovers(const std::vector<Remnant>& remnants, const NodeRef& app);
    // The "offerLeftoversOnCollect" preference: on unless stored off.
    bool offerLeftoversSetting() const;

    // ---- Moves ----
    // What a move of the collector did: the bytes that went to the Trash, and whether
    // some went to a Trash inside the scanned folder, where they still count (moved,
    // not freed).
    struct TrashOutcome {
        std::int64_t bytes = 0;
        bool intoScannedTrash = false;
    };
    // Moves every collected item (and the leftovers recorded for the apps among them),
    // prunes what moved and reports failures through the last error; then calls `done`
    // with the outcome. Refused while a move of the collector is under way (`done`
    // hears 0 bytes at once). A Trash inside the scanned folder that took items is
    // scanned again in place, so that they count there.
    using TrashDone = std::function<void(const TrashOutcome& outcome)>;
    void trashCollected(TrashDone done = {});
    // Moves one item and prunes it; the caller has cleared the pending item. When the
    // item was a readable app, `appTrashed` hears of it with its place in the Trash.
    using AppTrashed = std::function<void(const AppBundleInfo& app, std::optional<std::string> trashURL)>;
    void trashPending(const NodeRef& node, AppTrashed appTrashed = {});

    // ---- The prune ----
    // Detaches the nodes from the tree, corrects their ancestors and repairs
    // everything that pointed into them. A file that went under one name and keeps
    // others in the tree is counted on one of those; returns the bytes that stayed so.
    std::int64_t removeTrashedNodes(const std::vector<NodeRef>& nodes);
    // When one of `removedPaths` was the scanned folder or held it: the results go.
    bool resetIfRootRemoved(const std::vector<std::string>& removedPaths);
    // After a move that may have put items into `trashFolders`: those inside the tree
    // are found in the background and scanned again in place.
    void rescanTrashes(std::vector<std::string> trashFolders);

private:
    struct CollectorTrash;
    // The helper hears of the apps at `appPaths` before anything moves: their bundles
    // are read in the background and announced, then `move` runs with those read
    // (none when no path was given or the reading failed).
    void announceAppsThenMove(std::vector<std::string> appPaths, std::function<void(std::vector<AppBundleInfo>)> move);
    void finishCollectorTrash(CollectorTrash& job);
    // Scans again the folders of the tree at `treePaths` (Trash folders found inside
    // it), each the nearest folder the tree has when the Trash is new.
    void rescanTrashFolders(const std::vector<std::string>& treePaths);

    StateChanges& changes_;
    const AppEnvironment& environment_;
    ScanResults& results_;
    const Presentation& presentation_;
    Alerts& alerts_;
    TreeUpkeep upkeep_;
    Collector collector_;
    std::stop_source stop_; // stops the apps' reads when this object goes
    QObject lifetime_;
};

} // namespace plenwick
