// Moving items to the Trash, the whole collector or the one item awaiting
// confirmation, and pruning the moved nodes from the tree.
//
// The moves run in the background (the administrator step may wait for a password);
// the state changes only when their outcome is back on the GUI thread, and then by
// identity: whatever left the tree meanwhile is passed over.

#include "app/AppState.h"

#include "app/NodeMapping.h"
#include "app/PathRelations.h"
#include "app/TreeEdits.h"
#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"

#include <QPointer>

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

// The bundles of `paths` that can be read, in order.
std::vector<AppBundleInfo> readBundles(const TrashServices& services, const std::vector<std::string>& paths) {
    std::vector<AppBundleInfo> apps;
    for (const std::string& path : paths)
        if (auto app = services.readBundle(path)) apps.push_back(std::move(*app));
    return apps;
}

} // namespace

// What one move of the collector takes along and brings back.
struct AppState::CollectorTrash {
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

    // Filled in the background.
    std::vector<bool> moved;
    std::vector<std::string> failures;
    std::vector<std::string> trashedLeftovers;
    std::int64_t freed = 0;
};

void AppState::trashCollected(TrashDone done) {
    assertGuiThread();
    if (isTrashingCollector()) {
        // The move under way reports to its own caller; this one freed nothing.
        if (done) done(0);
        return;
    }
    auto job = std::make_shared<CollectorTrash>();
    for (const NodeRef& node : collector())
        if (isAppBundleNode(*node)) job->appPaths.push_back(node->url());
    if (root()) {
        job->rootPath = normalizedPath(root()->url());
        for (const NodeRef& node : collector()) {
            if (!node->parent() || !isInsideTree(node.get())) continue;
            job->items.push_back({node, node->url(), displayName(*node), node->size(), leftovers(node.get())});
        }
    }
    {
        Operation op(*this);
        collector_.setTrashing(true);
    }

    const TrashServices services = environment_.trash;
    auto move = [this, services, job, done = std::move(done)]() mutable {
        runInBackground(
            *environment_.userInitiated, this,
            [services, job] {
                for (const CollectorTrash::Item& item : job->items) {
                    try {
                        services.trashItem(item.path);
                        job->moved.push_back(true);
                        job->freed += item.size;
                    } catch (const std::exception& e) {
                        job->moved.push_back(false);
                        job->failures.push_back(failureLine(item.name, reasonOf(e)));
                    }
                }
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
                if (paths.empty()) return job;
                const ItemTrasher::Result result = services.trashItems(paths);
                for (const std::string& url : result.trashed) {
                    const auto it = sizes.find(url);
                    if (it != sizes.end()) job->freed += it->second;
                    job->trashedLeftovers.push_back(url);
                }
                for (const ItemTrasher::Failure& failure : result.failures)
                    job->failures.push_back(failureLine(lastPathComponent(failure.url), failure.message));
                return job;
            },
            [this, done](std::shared_ptr<CollectorTrash> finished) {
                finishCollectorTrash(*finished);
                if (done) done(finished->freed);
            },
            // Only the leftovers' step can get here: what moved before it is pruned,
            // the leftovers count as not moved.
            [this, job, done](std::exception_ptr error) {
                job->moved.resize(job->items.size(), false);
                job->failures.push_back(reasonOf(error));
                finishCollectorTrash(*job);
                if (done) done(job->freed);
            });
    };

    if (job->appPaths.empty()) {
        move();
        return;
    }
    // The helper hears of the apps before anything moves.
    runInBackground(
        *environment_.userInitiated, this, [services, paths = job->appPaths] { return readBundles(services, paths); },
        [services, move](std::vector<AppBundleInfo> apps) mutable {
            services.postAppsHandled(apps);
            move();
        },
        // Bundles that cannot be read are not announced; the move goes ahead.
        [move](std::exception_ptr) mutable { move(); });
}

void AppState::finishCollectorTrash(CollectorTrash& job) {
    Operation op(*this);
    collector_.setTrashing(false);
    std::vector<NodeRef> moved;
    for (std::size_t i = 0; i < job.items.size(); ++i)
        if (job.moved[i]) moved.push_back(job.items[i].node);
    // A file that keeps another name in the tree freed nothing.
    job.freed -= removeTrashedNodes(moved);
    std::vector<NodeRef> kept;
    for (const NodeRef& node : collector())
        if (isInsideTree(node.get())) kept.push_back(node);
    syncCollector(std::move(kept));
    setLastError(job.failures.empty() ? std::nullopt : std::optional<std::string>(joinLines(job.failures)),
                 std::nullopt);
    if (!resetIfRootRemoved(job.trashedLeftovers)) refreshScanVolumeForRoot();
}

void AppState::trashPending(const NodeRef& node) {
    assertGuiThread();
    if (!node || !node->parent() || !root() || !isInsideTree(node.get())) return;
    const TrashServices services = environment_.trash;
    const std::string path = node->url();
    const std::string name = displayName(*node);
    const bool app = isAppBundleNode(*node);

    struct Outcome {
        std::optional<std::string> trashURL;
        std::optional<std::string> failure;
    };
    auto move = [this, services, path, name, node](std::optional<AppBundleInfo> bundle) {
        runInBackground(
            *environment_.userInitiated, this,
            [services, path, name] {
                Outcome outcome;
                try {
                    outcome.trashURL = services.trashItem(path);
                } catch (const std::exception& e) {
                    outcome.failure = failureLine(name, reasonOf(e));
                }
                return outcome;
            },
            [this, node, bundle](Outcome outcome) {
                Operation op(*this);
                if (outcome.failure) {
                    setLastError(outcome.failure, std::nullopt);
                    return;
                }
                removeTrashedNodes({node});
                refreshScanVolumeForRoot();
                if (bundle) offerLeftoversAfterTrash(*bundle, outcome.trashURL);
            },
            [this, name](std::exception_ptr error) {
                Operation op(*this);
                setLastError(failureLine(name, reasonOf(error)), std::nullopt);
            });
    };
    if (!app) {
        move(std::nullopt);
        return;
    }
    runInBackground(
        *environment_.userInitiated, this, [services, path] { return services.readBundle(path); },
        [services, move](std::optional<AppBundleInfo> bundle) {
            if (bundle) services.postAppsHandled({*bundle});
            move(std::move(bundle));
        },
        [move](std::exception_ptr) { move(std::nullopt); });
}

std::int64_t AppState::removeTrashedNodes(const std::vector<NodeRef>& nodes) {
    assertGuiThread();
    if (!root()) return 0;
    const std::vector<NodeRef> candidates = nodesBelowRoot(nodes);
    if (candidates.empty()) return 0;

    Operation op(*this);
    // A preview shows a removed item, or one inside it, when the components of its
    // path begin with those of the item's; paths are taken before anything moves.
    std::vector<std::vector<std::string>> candidatePaths(candidates.size());
    if (quickLookURL()) {
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const std::string path = normalizedPath(candidates[i]->url());
            for (std::string_view part : pathComponents(path)) candidatePaths[i].emplace_back(part);
        }
    }
    std::vector<PrunedNodes::Removal> removals;
    std::vector<TreeHardLinks::Handover> handovers;
    editTree([&] {
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const NodeRef& node = candidates[i];
            // An earlier node of the list may have taken this one along.
            if (!node->parent() || !isInsideTree(node.get())) continue;
            FileNode* parent = detachNode(*node);
            removals.push_back({node, parent, std::move(candidatePaths[i])});
        }
        if (!removals.empty()) handovers = results_.hardLinks().handOverBytes(root().get());
    });
    const PrunedNodes pruned(root(), std::move(removals));
    remapNodes(pruned);
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
    scheduleStatsUpdate(std::move(removed), std::move(added));
    return kept;
}

bool AppState::resetIfRootRemoved(const std::vector<std::string>& removedPaths) {
    if (!root()) return false;
    const std::string rootPath = normalizedPath(root()->url());
    for (const std::string& path : removedPaths) {
        if (!pathIsOrEncloses(normalizedPathOrSelf(path), rootPath)) continue;
        Operation op(*this);
        resetResults();
        setPhase(Phase::home());
        return true;
    }
    return false;
}

} // namespace plenwick
