// Rescanning one folder in place: the folder is scanned again in the background and
// its new subtree swapped into the tree, with every piece of state that pointed into
// the old subtree carried over to the new nodes or dropped.

#include "app/AppState.h"

#include "app/NodeMapping.h"
#include "app/RescanHardLinks.h"
#include "app/RescanTarget.h"
#include "app/TreeEdits.h"
#include "base/Utf8.h"
#include "runtime/BackgroundTask.h"

namespace plenwick {

namespace {

const char* const cantRescanTitle = "Couldn’t Rescan Folder";

} // namespace

struct AppState::RescanOutcome {
    NodeRef root;               // the new subtree, or none
    TypeTotals totals;
    bool gone = false;          // nothing to scan there any more
    std::optional<std::string> error;
};

void AppState::rescanFolder(const NodeRef& folder) {
    assertGuiThread();
    if (!folder || !folder->isContainer() || !root() || !isInsideTree(folder.get())) return;
    if (!folder->parent()) {
        rescanAll();
        return;
    }
    if (refreshingFolders().count(folder)) return;
    Operation op(*this);
    results_.beginRefreshing(folder);

    const std::int64_t generation = scan_.resultsGeneration();
    runInBackground(
        *environment_.userInitiated, this,
        [folder, path = folder->url(), rootPath = root()->url(), options = scan_.options(), volume = results_.rootVolume()] {
            RescanOutcome outcome;
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
                    if (e.kind() == ScanError::Kind::notFound)
                        outcome.gone = true;
                    else
                        outcome.error = repairUtf8(e.errorDescription());
                    return outcome;
                } catch (const std::exception& e) {
                    outcome.error = repairUtf8(e.what());
                    return outcome;
                }
                if (options.deduplicateHardLinks) reconcileRescannedHardLinks(outcome.root, hardLinks, folder);
                break;
            }
            }
            if (auto totals = FileTypeStatsBuilder::collect(outcome.root)) outcome.totals = std::move(*totals);
            return outcome;
        },
        [this, folder, generation](RescanOutcome outcome) { finishFolderRescan(folder, generation, std::move(outcome)); },
        [this, folder, generation](std::exception_ptr error) {
            RescanOutcome outcome;
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                outcome.error = repairUtf8(e.what());
            } catch (...) {
                outcome.error = "The folder couldn’t be scanned again.";
            }
            finishFolderRescan(folder, generation, std::move(outcome));
        });
}

void AppState::finishFolderRescan(const NodeRef& folder, std::int64_t generation, RescanOutcome outcome) {
    if (scan_.resultsGeneration() != generation) return;
    Operation op(*this);
    results_.endRefreshing(folder);
    if (!root() || !isInsideTree(folder.get())) return;
    if (outcome.error) {
        setLastError(folder->displayName() + ": " + *outcome.error, std::string(cantRescanTitle));
        return;
    }
    if (outcome.gone)
        removeTrashedNodes({folder});
    else
        applyFolderRescan(folder, outcome.root, std::move(outcome.totals));
    refreshScanVolumeForRoot();
}

void AppState::applyFolderRescan(const NodeRef& old, const NodeRef& fresh, TypeTotals totals) {
    assertGuiThread();
    if (!old || !fresh || !old->parent()) return;
    Operation op(*this);
    // The scanner's root carries the full path; the tree keeps the entry's own name,
    // and a package stays a package.
    const NodeRef replacement =
        FileNode::make(old->name(), fresh->isContainer() ? old->kind() : fresh->kind(), fresh->size(),
                       fresh->logicalSize(), fresh->fileCount(), fresh->modified());
    std::vector<NodeRef> children(fresh->children().begin(), fresh->children().end());
    replacement->setChildren(std::move(children));
    fresh->adoptChildren({});

    editTree([&] { replaceNode(*old, replacement); });
    remapNodes(ReplacedFolder(old.get(), replacement));
    scheduleStatsUpdate({old}, std::move(totals));
}

} // namespace plenwick
