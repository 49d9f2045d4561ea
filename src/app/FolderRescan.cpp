#include "app/FolderRescan.h"

#include "app/Alerts.h"
#include "app/FailureText.h"
#include "app/NodeMapping.h"
#include "app/RescanHardLinks.h"
#include "app/RescanTarget.h"
#include "app/ScanResults.h"
#include "app/ScanRun.h"
#include "app/StatsUpdates.h"
#include "app/TreeEdits.h"
#include "app/VolumeNameMap.h"
#include "app/VolumeRefresh.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"

#include <optional>
#include <string>

namespace plenwick {

namespace {

const char* const cantRescanTitle = "Couldn’t Rescan Folder";

} // namespace

struct FolderRescan::Outcome {
    NodeRef root;               // the new subtree, or none
    TypeTotals totals;
    bool gone = false;          // nothing to scan there any more
    std::optional<std::string> error;
};

void FolderRescan::rescan(const NodeRef& folder, bool againIfRunning) {
    assertGuiThread();
    ScanResults& results = parts_.results;
    if (!folder || !folder->isContainer() || !results.root() || !results.isInsideTree(folder.get())) return;
    if (!folder->parent()) {
        parts_.scan.rescanAll();
        return;
    }
    if (results.refreshingFolders().count(folder)) {
        // What changed there after the running scan listed it (a move into a Trash
        // inside the tree) is picked up by one more scan after it.
        if (againIfRunning) again_.insert(folder->url());
        return;
    }
    StateChanges::Operation op(changes_);
    results.beginRefreshing(folder);

    const std::int64_t generation = results.generation();
    runInBackground(
        *environment_.userInitiated, &lifetime_,
        [folder, path = folder->url(), rootPath = results.root()->url(), options = parts_.scan.session().options(),
         volume = results.rootVolume()] {
            Outcome outcome;
            const RescanTarget target =
                probeRescanTarget(rootPath, path, volume ? volume : volumeOfScanTarget(rootPath), options.crossVolumes);
            switch (target.kind) {
            case RescanTarget::Kind::gone:
                outcome.gone = true;
                return outcome;
            case RescanTarget::Kind::leaf:
                outcome.root = target.leaf;
                break;
            case RescanTarget::Kind::folder: {
                std::vector<ScannedHardLink> hardLinks;
                try {
                    ScanWithHardLinks scan = DiskScanner::scanRecordingHardLinks(path, options);
                    outcome.root = std::move(scan.root);
                    hardLinks = std::move(scan.hardLinks);
                } catch (const ScanError& e) {
                    // Any other failure reaches the user as the rescan's error.
                    if (e.kind() != ScanError::Kind::notFound) throw;
                    outcome.gone = true;
                    return outcome;
                }
                if (options.deduplicateHardLinks) reconcileRescannedHardLinks(outcome.root, hardLinks, folder);
                break;
            }
            }
            if (auto totals = FileTypeStatsBuilder::collect(outcome.root)) outcome.totals = std::move(*totals);
            return outcome;
        },
        [this, folder, generation](Outcome outcome) { finish(folder, generation, std::move(outcome)); },
        [this, folder, generation](std::exception_ptr error) {
            Outcome outcome;
            outcome.error = failureText(error, "The folder couldn’t be scanned again.");
            finish(folder, generation, std::move(outcome));
        });
}

void FolderRescan::finish(const NodeRef& folder, std::int64_t generation, Outcome outcome) {
    ScanResults& results = parts_.results;
    const std::string path = folder->url();
    const bool again = again_.erase(path) > 0;
    if (results.generation() != generation) return;
    StateChanges::Operation op(changes_);
    results.endRefreshing(folder);
    if (!results.root() || !results.isInsideTree(folder.get())) return;
    if (outcome.error) {
        parts_.alerts.setLastError(displayName(*folder, *parts_.volumes.volumes().names()) + ": " + *outcome.error, std::string(cantRescanTitle));
        return;
    }
    if (outcome.gone)
        prune_({folder});
    else
        apply(folder, outcome.root, std::move(outcome.totals));
    parts_.volumes.refreshScanVolumeForRoot();
    if (again)
        if (const NodeRef fresh = results.nodeForURL(path)) rescan(fresh);
}

void FolderRescan::apply(const NodeRef& old, const NodeRef& fresh, TypeTotals totals) {
    assertGuiThread();
    if (!old || !fresh || !old->parent()) return;
    StateChanges::Operation op(changes_);
    // The scanner's root carries the full path; the tree keeps the entry's own name,
    // and a package stays a package.
    const NodeRef replacement =
        FileNode::make(old->name(), fresh->isContainer() ? old->kind() : fresh->kind(), fresh->size(),
                       fresh->logicalSize(), fresh->fileCount(), fresh->modified());
    std::vector<NodeRef> children(fresh->children().begin(), fresh->children().end());
    replacement->setChildren(std::move(children));
    fresh->adoptChildren({});

    parts_.results.editTree([&] { replaceNode(*old, replacement); });
    parts_.results.remapNodes(ReplacedFolder(old.get(), replacement));
    parts_.stats.schedule({old}, std::move(totals));
}

} // namespace plenwick
