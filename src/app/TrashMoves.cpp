#include "app/TrashMoves.h"

#include "app/Alerts.h"
#include "app/NodeMapping.h"
#include "app/PathRelations.h"
#include "app/Preferences.h"
#include "app/Presentation.h"
#include "app/ScanResults.h"
#include "app/ScannedTrash.h"
#include "app/TreeEdits.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "platform/TrashFolders.h"
#include "runtime/BackgroundTask.h"
#include "runtime/GuiThread.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace plenwick {

namespace {

std::string failureLine(const std::string& name, const std::string& reason) { return name + ": " + reason; }

// The reason of a failed move, for a failure line.
std::string reasonOf(const std::exception& e) {
    if (const auto* system = dynamic_cast<const std::system_error*>(&e)) return system->code().message();
    return e.what();
}

std::string reasonOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return reasonOf(e);
    } catch (...) {
        return "An unknown error occurred.";
    }
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

// The bundles of `paths` that can be read, in order; those read before `stop`.
std::vector<AppBundleInfo> readBundles(const TrashServices& services, const std::vector<std::string>& paths,
                                       const std::stop_token& stop) {
    std::vector<AppBundleInfo> apps;
    for (const std::string& path : paths) {
        if (stop.stop_requested()) break;
        if (auto app = services.readBundle(path, stop)) apps.push_back(std::move(*app));
    }
    return apps;
}

} // namespace

// ---- The collector ----

void TrashMoves::addToCollector(const std::vector<NodeRef>& nodes) {
    assertGuiThread();
    if (!results_.root()) return;
    std::vector<NodeRef> candidates = results_.nodesBelowRoot(nodes);
    // The Trash's own folders cannot be collected: moving them would break the Trash.
    std::erase_if(candidates, [](const NodeRef& node) { return isPartOfUsersTrash(node->url()); });
    if (candidates.empty()) return;
    StateChanges::Operation op(changes_);
    const std::vector<NodeRef> added = collector_.add(candidates);
    if (!added.empty() && offerLeftoversSetting()) collector_.queueOffers(added);
}

void TrashMoves::removeFromCollector(const NodeRef& node) {
    assertGuiThread();
    StateChanges::Operation op(changes_);
    collector_.remove(node);
}

void TrashMoves::syncCollector(std::vector<NodeRef> nodes) {
    StateChanges::Operation op(changes_);
    collector_.sync(std::move(nodes));
}

bool TrashMoves::offerLeftoversSetting() const { return offerLeftoversOnCollect(*environment_.preferences); }

void TrashMoves::acceptLeftovers(const std::vector<Remnant>& remnants, const NodeRef& app) {
    assertGuiThread();
    if (!results_.root() || !app || !results_.isInsideTree(app.get()) || !collector_.isCollected(app.get())) return;
    StateChanges::Operation op(changes_);
    const std::string rootPath = normalizedPathOrSelf(results_.root()->url());
    std::vector<NodeRef> inTree;
    std::vector<Remnant> outside;
    for (const Remnant& remnant : remnants) {
        // The scanned folder itself, or a folder holding it, never goes with an app.
        if (pathIsOrEncloses(normalizedPathOrSelf(remnant.url), rootPath)) continue;
        NodeRef node = results_.nodeForURL(remnant.url);
        if (node && node->parent())
            inTree.push_back(std::move(node));
        else
            outside.push_back(remnant);
    }
    collector_.setLeftovers(app, std::move(outside));
    addToCollector(inTree);
    collector_.countChange();
}

// ---- Moves ----

// What one move of the collector takes along and brings back.
struct TrashMoves::CollectorTrash {
    struct Item {
        NodeRef node;          // held on the GUI thread only
        std::string path;
        std::string name;      // the display name for a failure line
        std::int64_t size = 0; // as it was when the move began
        std::vector<Remnant> leftovers;
    };
    std::vector<Item> items;
    std::vector<std::string> appPaths; // collected apps, in collector order
    std::string rootPath;
    std::string treeRootPath;          // the root's path as the tree spells it

    // Filled in the background.
    std::vector<bool> moved;
    std::vector<std::string> failures;
    std::vector<std::string> trashedLeftovers;
    std::int64_t freed = 0;
    std::vector<std::string> scannedTrashes; // Trash folders inside the tree that took items
};

void TrashMoves::announceAppsThenMove(std::vector<std::string> appPaths,
                                      std::function<void(std::vector<AppBundleInfo>)> move) {
    if (appPaths.empty()) {
        move({});
        return;
    }
    const TrashServices services = environment_.trash;
    runInBackground(
        *environment_.userInitiated, &lifetime_,
        [services, paths = std::move(appPaths), stop = stop_.get_token()] { return readBundles(services, paths, stop); },
        [services, move](std::vector<AppBundleInfo> apps) {
            if (!apps.empty()) services.postAppsHandled(apps);
            move(std::move(apps));
        },
        // Bundles that cannot be read are not announced; the move goes ahead.
        [move](std::exception_ptr) { move({}); });
}

void TrashMoves::trashCollected(TrashDone done) {
    assertGuiThread();
    if (collector_.isTrashing()) {
        // The move under way reports to its own caller; this one moved nothing.
        if (done) done({});
        return;
    }
    auto job = std::make_shared<CollectorTrash>();
    for (const NodeRef& node : collector_.items())
        if (isAppBundleNode(*node)) job->appPaths.push_back(node->url());
    if (const NodeRef& root = results_.root()) {
        job->rootPath = normalizedPathOrSelf(root->url());
        job->treeRootPath = root->url();
        for (const NodeRef& node : collector_.items()) {
            if (!node->parent() || !results_.isInsideTree(node.get())) continue;
            job->items.push_back(
                {node, node->url(), node->displayName(), node->size(), collector_.leftoversOf(node.get())});
        }
    }
    {
        StateChanges::Operation op(changes_);
        collector_.setTrashing(true);
    }

    const TrashServices services = environment_.trash;
    auto move = [this, services, job, done = std::move(done)](std::vector<AppBundleInfo>) {
        runInBackground(
            *environment_.userInitiated, &lifetime_,
            [services, job] {
                std::vector<std::string> trashes;
                for (const CollectorTrash::Item& item : job->items) {
                    try {
                        const std::optional<std::string> placed = services.trashItem(item.path);
                        trashes.push_back(placed ? trashFolderOf(*placed) : homeTrashFolder());
                        job->moved.push_back(true);
                        job->freed += item.size;
                    } catch (const std::exception& e) {
                        job->moved.push_back(false);
                        job->failures.push_back(failureLine(item.name, reasonOf(e)));
                    }
                }
                const auto findScannedTrashes = [&] {
                    if (!job->treeRootPath.empty()) job->scannedTrashes = trashFoldersInScan(job->treeRootPath, trashes);
                };
                // The leftovers of the apps that went, each path once: two apps may
                // name the same file. The scanned folder or one holding it never goes.
                std::vector<std::string> paths;
                std::map<std::string, std::int64_t> sizes;
                for (std::size_t i = 0; i < job->items.size(); ++i) {
                    if (!job->moved[i]) continue;
                    for (const Remnant& remnant : job->items[i].leftovers) {
                        std::string path = normalizedPathOrSelf(remnant.url);
                        if (!job->rootPath.empty() && pathIsOrEncloses(path, job->rootPath)) continue;
                        if (sizes.emplace(path, remnant.size).second) paths.push_back(std::move(path));
                    }
                }
                if (paths.empty()) {
                    findScannedTrashes();
                    return job;
                }
                const ItemTrasher::Result result = services.trashItems(paths);
                for (const std::string& url : result.trashed) {
                    const auto it = sizes.find(url);
                    if (it != sizes.end()) job->freed += it->second;
                    job->trashedLeftovers.push_back(url);
                }
                if (!result.trashed.empty()) trashes.push_back(homeTrashFolder());
                for (const ItemTrasher::Failure& failure : result.failures)
                    job->failures.push_back(failureLine(lastPathComponent(failure.url), failure.message));
                findScannedTrashes();
                return job;
            },
            [this, done](std::shared_ptr<CollectorTrash> finished) {
                finishCollectorTrash(*finished);
                if (done) done({finished->freed, !finished->scannedTrashes.empty()});
            },
            // Only the leftovers' step can get here: what moved before it is pruned,
            // the leftovers count as not moved.
            [this, job, done](std::exception_ptr error) {
                job->moved.resize(job->items.size(), false);
                job->failures.push_back(reasonOf(error));
                finishCollectorTrash(*job);
                if (done) done({job->freed, !job->scannedTrashes.empty()});
            });
    };
    announceAppsThenMove(job->appPaths, std::move(move));
}

void TrashMoves::finishCollectorTrash(CollectorTrash& job) {
    StateChanges::Operation op(changes_);
    collector_.setTrashing(false);
    std::vector<NodeRef> moved;
    for (std::size_t i = 0; i < job.items.size(); ++i)
        if (job.moved[i]) moved.push_back(job.items[i].node);
    // A file that keeps another name in the tree freed nothing.
    job.freed -= removeTrashedNodes(moved);
    std::vector<NodeRef> kept;
    for (const NodeRef& node : collector_.items())
        if (results_.isInsideTree(node.get())) kept.push_back(node);
    collector_.sync(std::move(kept));
    alerts_.setLastError(job.failures.empty() ? std::nullopt : std::optional<std::string>(joinLines(job.failures)),
                         std::nullopt);
    if (resetIfRootRemoved(job.trashedLeftovers)) return;
    rescanTrashFolders(job.scannedTrashes);
    upkeep_.refreshScanVolumeForRoot();
}

void TrashMoves::trashPending(const NodeRef& node, AppTrashed appTrashed) {
    assertGuiThread();
    if (!node || !node->parent() || !results_.root() || !results_.isInsideTree(node.get())) return;
    const TrashServices services = environment_.trash;
    const std::string path = node->url();
    const std::string name = node->displayName();

    struct Outcome {
        std::optional<std::string> trashURL;
        std::optional<std::string> failure;
        std::vector<std::string> scannedTrashes;
    };
    auto move = [this, services, path, name, node,
                 appTrashed = std::move(appTrashed)](std::vector<AppBundleInfo> apps) {
        std::optional<AppBundleInfo> bundle;
        if (!apps.empty()) bundle = std::move(apps.front());
        runInBackground(
            *environment_.userInitiated, &lifetime_,
            [services, path, name, rootPath = results_.root()->url()] {
                Outcome outcome;
                try {
                    outcome.trashURL = services.trashItem(path);
                    outcome.scannedTrashes = trashFoldersInScan(
                        rootPath, {outcome.trashURL ? trashFolderOf(*outcome.trashURL) : homeTrashFolder()});
                } catch (const std::exception& e) {
                    outcome.failure = failureLine(name, reasonOf(e));
                }
                return outcome;
            },
            [this, node, bundle, appTrashed](Outcome outcome) {
                StateChanges::Operation op(changes_);
                if (outcome.failure) {
                    alerts_.setLastError(outcome.failure, std::nullopt);
                    return;
                }
                removeTrashedNodes({node});
                rescanTrashFolders(outcome.scannedTrashes);
                upkeep_.refreshScanVolumeForRoot();
                if (bundle && appTrashed) appTrashed(*bundle, outcome.trashURL);
            },
            [this, name](std::exception_ptr error) {
                StateChanges::Operation op(changes_);
                alerts_.setLastError(failureLine(name, reasonOf(error)), std::nullopt);
            });
    };
    announceAppsThenMove(isAppBundleNode(*node) ? std::vector<std::string>{path} : std::vector<std::string>{},
                         std::move(move));
}

// ---- The prune ----

std::int64_t TrashMoves::removeTrashedNodes(const std::vector<NodeRef>& nodes) {
    assertGuiThread();
    const NodeRef root = results_.root();
    if (!root) return 0;
    const std::vector<NodeRef> candidates = results_.nodesBelowRoot(nodes);
    if (candidates.empty()) return 0;

    StateChanges::Operation op(changes_);
    // A preview shows a removed item, or one inside it, when the components of its
    // path begin with those of the item's; paths are taken before anything moves.
    std::vector<std::vector<std::string>> candidatePaths(candidates.size());
    if (presentation_.quickLookURL()) {
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const std::string path = normalizedPathOrSelf(candidates[i]->url());
            for (std::string_view part : pathComponents(path)) candidatePaths[i].emplace_back(part);
        }
    }
    std::vector<PrunedNodes::Removal> removals;
    std::vector<TreeHardLinks::Handover> handovers;
    upkeep_.editTree([&] {
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const NodeRef& node = candidates[i];
            // An earlier node of the list may have taken this one along.
            if (!node->parent() || !results_.isInsideTree(node.get())) continue;
            FileNode* parent = detachNode(*node);
            removals.push_back({node, parent, std::move(candidatePaths[i])});
        }
        if (!removals.empty()) handovers = results_.hardLinks().handOverBytes(root.get());
    });
    const PrunedNodes pruned(root, std::move(removals));
    upkeep_.remapNodes(pruned);
    std::vector<NodeRef> removed;
    for (const PrunedNodes::Removal& removal : pruned.removals()) removed.push_back(removal.node);
    // The removed subtrees take their bytes off the statistics; a name that took a
    // file's bytes over gives them back, its file already counted there.
    TypeTotals added;
    std::int64_t kept = 0;
    for (const TreeHardLinks::Handover& handover : handovers) {
        const FileTypeStatsBuilder::Entry none{0, 0, handover.taker->category()};
        added.try_emplace(handover.taker->fileExtension(), none).first->second.size += handover.size;
        kept += handover.size;
    }
    upkeep_.scheduleStatsUpdate(std::move(removed), std::move(added));
    return kept;
}

void TrashMoves::rescanTrashes(std::vector<std::string> trashFolders) {
    assertGuiThread();
    if (!results_.root() || trashFolders.empty()) return;
    const std::int64_t generation = results_.generation();
    runInBackground(
        *environment_.utility, &lifetime_,
        [rootPath = results_.root()->url(), folders = std::move(trashFolders)] {
            return trashFoldersInScan(rootPath, folders);
        },
        [this, generation](std::vector<std::string> treePaths) {
            // Found for results that are gone: nothing of theirs to rescan.
            if (results_.generation() == generation) rescanTrashFolders(treePaths);
        },
        [](std::exception_ptr) {});
}

void TrashMoves::rescanTrashFolders(const std::vector<std::string>& treePaths) {
    if (!upkeep_.rescanFolder || !results_.root()) return;
    std::vector<NodeRef> folders;
    for (const std::string& treePath : treePaths) {
        // A Trash made by this move is new to the tree: the nearest folder holding it.
        NodeRef folder;
        for (std::string path = treePath; !folder; path = parentPath(path)) {
            folder = results_.nodeForURL(path);
            if (folder && !folder->isContainer()) folder = {};
            if (path == "/" || path == "." || path.empty()) break;
        }
        if (folder && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (const NodeRef& folder : folders) upkeep_.rescanFolder(folder);
}

bool TrashMoves::resetIfRootRemoved(const std::vector<std::string>& removedPaths) {
    if (!results_.root()) return false;
    const std::string rootPath = normalizedPathOrSelf(results_.root()->url());
    for (const std::string& path : removedPaths) {
        if (!pathIsOrEncloses(normalizedPathOrSelf(path), rootPath)) continue;
        StateChanges::Operation op(changes_);
        upkeep_.closeResults();
        return true;
    }
    return false;
}

} // namespace plenwick
