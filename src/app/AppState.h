#pragma once
// The one state object of the main program: the scan result and everything derived
// from it, navigation, colours, the collector and the alerts. It lives on the GUI
// thread; background work reports back to it through queued calls and is applied
// only while its generation is current.
//
// Observers connect to `changed`: one signal per outermost public operation, with a
// bit per observed field that was assigned a different value (or changed in place)
// during it, emitted when the operation returns. No view ever sees a half-done state.
//
// The fields live in parts (results, navigation, presentation, alerts, ...) and the
// operations that take time in workflows (scan run, folder rescan, statistics
// updates, volume refresh), each owning its background job; the state forwards the
// operations the views call and shares its one change set with all of them.

#include "app/Alerts.h"
#include "app/AppEnvironment.h"
#include "app/FolderColors.h"
#include "app/FolderRescan.h"
#include "app/Navigation.h"
#include "app/Presentation.h"
#include "app/ScanResults.h"
#include "app/ScanRun.h"
#include "app/ScanSession.h"
#include "app/StateChanges.h"
#include "app/TreeHardLinks.h"
#include "app/StatsUpdates.h"
#include "app/TrashMoves.h"
#include "app/TypeStatistics.h"
#include "app/UninstallEntry.h"
#include "app/ViewSettings.h"
#include "app/VolumeRefresh.h"
#include "app/Volumes.h"
#include "base/PathNames.h"
#include "runtime/GuiThread.h"
#include "scanner/Color.h"
#include "scanner/DiskScanner.h"
#include "scanner/FileNode.h"
#include "scanner/FileTypeStatsBuilder.h"
#include "scanner/TypeFilter.h"
#include "scanner/VolumeInfo.h"
#include "services/AppBundleInfo.h"
#include "uninstaller/Remnant.h"
#include "uninstaller/UninstallSession.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <source_location>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace plenwick {

class AppState final : public QObject {
    Q_OBJECT

public:
    // What the main window shows.
    using Phase = ScanSession::Phase;

    // The cache of the by-folder colours, built per focus and tree version.
    using FolderColoring = plenwick::FolderColoring;

    // One bit per observed field (StateField.h).
    using Field = StateField;
    using Fields = quint64;
    static constexpr Fields bit(Field field) noexcept { return stateBit(field); }

    explicit AppState(AppEnvironment environment = AppEnvironment::standard(), QObject* parent = nullptr);
    ~AppState() override;

    // ---- Observed fields ----
    const Phase& phase() const noexcept { return scanRun_.session().phase(); }
    const std::vector<VolumeInfo>& volumes() const noexcept { return volumeRefresh_.volumes().volumes(); }
    const ScanProgress& scanProgress() const noexcept { return scanRun_.session().progress(); }
    const std::optional<std::string>& scanTarget() const noexcept { return scanRun_.session().target(); }
    const std::optional<VolumeInfo>& scanVolume() const noexcept { return volumeRefresh_.volumes().scanVolume(); }
    const std::optional<std::chrono::system_clock::time_point>& scanStartedAt() const noexcept { return scanRun_.session().startedAt(); }
    const NodeRef& root() const noexcept { return results_.root(); }
    const NodeRef& focus() const noexcept { return navigation_.focus(); }
    const NodeRef& selection() const noexcept { return navigation_.selection(); }
    const NodeRef& hovered() const noexcept { return navigation_.hovered(); }
    std::int64_t treeVersion() const noexcept { return results_.treeVersion(); }
    const NodeSet& refreshingFolders() const noexcept { return results_.refreshingFolders(); }
    Visualization visualization() const noexcept { return presentation_.visualization(); }
    ColorMode colorMode() const noexcept { return presentation_.colorMode(); }
    const std::optional<TypeFilter>& typeFilter() const noexcept { return presentation_.typeFilter(); }
    bool showInspector() const noexcept { return presentation_.showInspector(); }
    const std::optional<std::string>& quickLookURL() const noexcept { return presentation_.quickLookURL(); }
    // The volumes' names by mount point (observed as volumeNames): replaced whole, so a
    // copy of the pointer is a snapshot that background work may read.
    const std::shared_ptr<const VolumeNameMap>& volumeNames() const noexcept { return volumeRefresh_.volumes().names(); }
    const std::vector<FileTypeStat>& typeStats() const noexcept { return statsUpdates_.statistics().stats(); }
    const ExtensionColors& extensionColors() const noexcept { return statsUpdates_.statistics().extensionColors(); }
    // Counts the changes of `extensionColors` (reported with its bit), so that style
    // caches can tell them apart.
    std::int64_t extensionColorsVersion() const noexcept { return statsUpdates_.statistics().extensionColorsVersion(); }
    const NodeRef& pendingTrash() const noexcept { return alerts_.pendingTrash(); }
    const std::vector<NodeRef>& collector() const noexcept { return trashMoves_.collector().items(); }
    std::int64_t collectorVersion() const noexcept { return trashMoves_.collector().version(); }
    const CollectorLeftovers& collectorLeftovers() const noexcept { return trashMoves_.collector().leftovers(); }
    const std::vector<NodeRef>& leftoverOffers() const noexcept { return trashMoves_.collector().offers(); }
    const std::shared_ptr<UninstallSession>& uninstallSession() const noexcept { return alerts_.uninstallSession(); }
    const std::optional<std::string>& lastError() const noexcept { return alerts_.lastError(); }
    const std::optional<std::string>& lastErrorTitle() const noexcept { return alerts_.lastErrorTitle(); }
    const std::vector<NodeRef>& navigationHistory() const noexcept { return navigation_.navigationHistory(); }
    const std::vector<NodeRef>& forwardHistory() const noexcept { return navigation_.forwardHistory(); }

    // ---- Unobserved fields ----
    bool hasStatsUpdates() const noexcept { return statsUpdates_.statistics().hasPendingUpdates(); }
    bool isCollected(const FileNode* node) const { return trashMoves_.collector().isCollected(node); }
    // Whether the node or one of its ancestors is collected.
    bool isCollectedOrInside(const FileNode* node) const { return trashMoves_.collector().isCollectedOrInside(node); }
    // Whether a move of the collector to the Trash is under way (observed as collectorTrashing).
    bool isTrashingCollector() const noexcept { return trashMoves_.collector().isTrashing(); }
    // Where views run their own background work (previews, icons, chart rendering).
    Executors executors() const noexcept { return {*environment_.userInitiated, *environment_.utility}; }
    // The preferences store, where views keep their layout (column widths and order).
    Preferences& preferences() const noexcept { return *environment_.preferences; }

    // ---- Plain assignments by views and commands (one operation each) ----
    void setPhase(Phase phase);
    void setScanVolume(std::optional<VolumeInfo> volume);      // makes a pending scan-volume refresh stale
    void setHovered(NodeRef node);
    void setVisualization(Visualization visualization);
    void setColorMode(ColorMode mode);
    // An emptied filter gives back the colour mode its highlight replaced, unless the
    // user chose another mode meanwhile.
    void setTypeFilter(std::optional<TypeFilter> filter);
    void setShowInspector(bool show);
    void setQuickLookURL(std::optional<std::string> url);
    void setPendingTrash(NodeRef node);
    // Every assignment notifies, even of the same session. A session in collector mode
    // closes when the tree it gathers for goes.
    void setUninstallSession(std::shared_ptr<UninstallSession> session);
    void setLastError(std::optional<std::string> message, std::optional<std::string> title = std::nullopt);

    // ---- Shared operations ----
    // Selects a node (or nothing); an open preview follows a selected node.
    void select(NodeRef node);
    // Selects a node (or nothing) and leaves an open preview where it is.
    void setSelection(NodeRef node);
    // The node of the tree at `path`, or none.
    NodeRef nodeForURL(const std::string& path) const { return results_.nodeForURL(path); }
    // The only way to change the collector.
    void syncCollector(std::vector<NodeRef> nodes) { trashMoves_.syncCollector(std::move(nodes)); }
    // Whether following parents from `node` reaches the current root.
    bool isInsideTree(const FileNode* node) const noexcept { return results_.isInsideTree(node); }

    // ---- Collector ----
    // Adds the nodes strictly inside the tree that are neither collected nor inside a
    // collected folder or another node of the call; collected items inside an added
    // folder leave. Newly collected apps may be queued for the leftover offer.
    void addToCollector(const std::vector<NodeRef>& nodes) { trashMoves_.addToCollector(nodes); }
    void removeFromCollector(const NodeRef& node) { trashMoves_.removeFromCollector(node); }
    // The leftovers recorded outside the scan for a collected node.
    const std::vector<Remnant>& leftovers(const FileNode* node) const {
        return trashMoves_.collector().leftoversOf(node);
    }
    std::int64_t sizeWithLeftovers(const FileNode& node) const {
        return trashMoves_.collector().sizeWithLeftovers(node);
    }
    // The bytes counted inside `items` of files with another name in the tree outside
    // them: moving the items to the Trash leaves those bytes on disk.
    std::int64_t bytesKeptUnderOtherNames(const std::vector<NodeRef>& items) const {
        return results_.hardLinks().bytesKeptOutside(items, root().get());
    }
    // The same bytes item by item, in the order of `items`.
    std::vector<std::int64_t> bytesKeptUnderOtherNamesEach(const std::vector<NodeRef>& items) const {
        return results_.hardLinks().bytesKeptOutsideEach(items, root().get());
    }
    // Answers the first offer; accepted, it opens a collector-mode session for the app.
    void respondToLeftoverOffer(bool accept) { uninstallEntry_.respondToLeftoverOffer(accept); }
    // Whether an app chosen for uninstalling, or whose offer was accepted, is being
    // read: its session may open any moment, so no offer is asked meanwhile. Its end
    // is told as a change of `leftoverOffers`.
    bool isOpeningUninstallSession() const noexcept { return uninstallEntry_.isReadingApp(); }

    // ---- Trash ----
    // Moves every collected item (and the leftovers recorded for the apps among them)
    // to the Trash in the background, prunes what moved and reports failures through
    // `lastError`; then calls `done` with the bytes freed. Refused while a move of the
    // collector is under way (`done` hears 0 at once).
    using TrashDone = TrashMoves::TrashDone;
    void trashCollected(TrashDone done = {}) { trashMoves_.trashCollected(std::move(done)); }
    // Moves one item to the Trash in the background and prunes it; the caller has
    // cleared `pendingTrash`.
    void trashPending(const NodeRef& node);

    // ---- Rescan of one folder ----
    // Rescans the folder in place in the background (the whole target for the root).
    void rescanFolder(const NodeRef& folder) { folderRescan_.rescan(folder); }

    // ---- Volumes ----
    void refreshVolumes();
    // Standardised path without trailing "/" ("/" stays). A relative path whose
    // working folder cannot be found stays as given: it matches no volume or node,
    // and its scan fails with the scanner's own error.
    static std::string normalizedPath(const std::string& path) { return normalizedPathOrSelf(path); }
    bool isWholeVolumeScan() const { return volumeRefresh_.volumes().isWholeVolume(root().get()); }
    // Used space of the scanned volume that the scan attributed to no item.
    std::int64_t unattributedBytes() const { return volumeRefresh_.volumes().unattributedBytes(root().get()); }
    // The name every view shows for a node: a scanned volume's root by its volume's
    // name (VolumeNameMap.h).
    std::string displayName(const FileNode& node) const {
        return plenwick::displayName(node, *volumeRefresh_.volumes().names());
    }

    // ---- Scan lifecycle ----
    // A path holding a NUL byte names no file: nothing happens.
    void startScan(const std::string& path) { scanRun_.start(path); }
    void cancelScan() { scanRun_.cancel(); }
    // `hardLinks`: the names of the tree's files with several of them.
    void finishScan(NodeRef root, std::vector<FileTypeStat> stats, TreeHardLinks hardLinks = {}) {
        scanRun_.finish(std::move(root), std::move(stats), std::move(hardLinks));
    }
    // Whole-tree statistics; empty when cancelled.
    static std::vector<FileTypeStat> computeTypeStats(const NodeRef& root, std::stop_token stop = {}) {
        return StatsUpdates::compute(root, std::move(stop));
    }

    // ---- Colours and the type highlight ----
    // A breakdown row clicked: the highlight of `filter` ends when it is the current
    // one; otherwise it starts and switches to `target`, remembering the mode it
    // replaced.
    void toggleTypeHighlight(const TypeFilter& filter, ColorMode target);
    // The breakdown shown anew starts with an empty memory.
    void forgetColorModeMemory();
    const ColorModeMemory& colorModeMemory() const noexcept { return presentation_.colorModeMemory(); }
    const FolderColoring* makeFolderColoring() const { return presentation_.makeFolderColoring(); }
    RGB color(const FileNode& node) const { return presentation_.color(node); }
    bool matchesTypeFilter(const FileNode& node) const { return presentation_.matchesTypeFilter(node); }

    // ---- User actions and navigation ----
    void chooseFolder();
    void rescanAll() { scanRun_.rescanAll(); }
    void goHome();
    // Closes the results from the home page: any scan stops, the results go, the
    // volumes are read again.
    void closeResults();
    void backToResults();
    void navigate(const NodeRef& node);
    void goBack();
    void goForward();

    // ---- Uninstall entry ----
    // Reads the app in the background, then opens an uninstall session for it;
    // refuses, with the alert "Can’t Uninstall", an app it can't read and one that
    // comes with the system. The session's view starts the search.
    void uninstallApp(const std::string& bundleURL) { uninstallEntry_.uninstallApp(bundleURL); }
    // Closes the shown session, but only when it is `session`.
    void closeUninstallSession(const UninstallSession* session) { uninstallEntry_.closeUninstallSession(session); }

    // ---- The parts and workflows, for tests and rare callers ----
    ScanResults& results() noexcept { return results_; }
    ScanRun& scanRun() noexcept { return scanRun_; }
    FolderRescan& folderRescan() noexcept { return folderRescan_; }
    VolumeRefresh& volumeRefresh() noexcept { return volumeRefresh_; }
    StatsUpdates& statsUpdates() noexcept { return statsUpdates_; }
    TrashMoves& trashMoves() noexcept { return trashMoves_; }
    UninstallEntry& uninstallEntry() noexcept { return uninstallEntry_; }

signals:
    void changed(quint64 fields);
    // chooseFolder asks the view for a folder to scan. The view connects it queued,
    // shows its folder dialog once the operation has returned and, unless the user
    // cancels, calls startScan with the answer.
    void folderChoiceRequested();
    // Around each `editTree`: the first before the write lock is taken, the second
    // after it was released. Both come before `changed` reports the new version.
    void treeEditWillBegin();
    void treeEditDidEnd();

private:
    // Groups everything one public operation changes into one `changed` signal. The
    // outermost one checks that it runs on the GUI thread and not from inside a
    // `changed` handler (ObservedFields.h).
    class Operation {
    public:
        explicit Operation(AppState& state, std::source_location caller = std::source_location::current()) noexcept
            : op_(state.changes_, caller) {}

    private:
        StateChanges::Operation op_;
    };

    // As the outermost operation ends: a phase that went and came back is no change,
    // and leaving the results ends the type highlight.
    void settlePhase();

    // What the trash moves and the uninstall entry ask of the state.
    TreeUpkeep treeUpkeep();

    AppEnvironment environment_;
    // Shared with the parts, so it comes first.
    StateChanges changes_{[this](StateChanges::Fields fields) { emit changed(fields); }, [this] { settlePhase(); }};

    // The parts and the workflows, each before those that use it.
    ScanResults results_{changes_, {[this] { emit treeEditWillBegin(); }, [this] { emit treeEditDidEnd(); }}};
    Navigation navigation_{changes_};
    Alerts alerts_{changes_};
    StatsUpdates statsUpdates_{changes_, environment_, results_};
    Presentation presentation_{changes_, results_, navigation_, statsUpdates_.statistics()};
    VolumeRefresh volumeRefresh_{changes_, environment_, results_};
    ScanRun scanRun_{changes_, environment_, {results_, navigation_, presentation_, alerts_, statsUpdates_, volumeRefresh_}};
    FolderRescan folderRescan_{changes_, environment_, {results_, alerts_, scanRun_, statsUpdates_, volumeRefresh_},
                               [this](const std::vector<NodeRef>& nodes) { trashMoves_.removeTrashedNodes(nodes); }};
    TrashMoves trashMoves_{changes_, environment_, results_, presentation_, alerts_, treeUpkeep()};
    UninstallEntry uninstallEntry_{changes_, environment_, results_, alerts_, trashMoves_, treeUpkeep()};
};

} // namespace plenwick
