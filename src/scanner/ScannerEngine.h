#pragma once
// Walks one folder tree with several dedicated threads and assembles the FileNode
// tree from the bottom up while it walks.
//
// Queued folders wait in runs: consecutive sub-folders of one folder, handed out
// from the end, newest run first, so the queue is the last-in-first-out stack of
// folders it would be if each were put alone. A run may hold a claim on its folder's
// anchor (its open descriptor), beside which its folders are then opened.
// Beside the folders, the queue offers batches of long listings to idle workers.

#include "scanner/DiskScanner.h"
#include "scanner/ScanCompletion.h"
#include "scanner/ScannerDescriptorLedger.h"
#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerHardLinkSet.h"
#include "scanner/ScannerListingShare.h"
#include "scanner/ScannerTally.h"
#include "scanner/ScannerVolumePolicy.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace plenwick {

class ScannerEngine {
public:
    static constexpr int inlineDepthLimit = 24;
    static constexpr std::uint64_t reportInterval = 66'000'000; // ns
    // Anchors at most, and how long a worker refused a descriptor waits for one that
    // the scan itself will not release (held elsewhere in the process or the system).
    static constexpr int anchorLimit = 4096;
    static constexpr std::chrono::milliseconds descriptorPatience{1000};

    // Takes ownership of `root` (and through it of every folder state of the scan).
    ScannerEngine(ScannerDirectory* root, ScanOptions options, int requestedWorkers, ScannerVolumePolicy policy,
                  ScanProgressCallback progress);
    // Joins the worker threads and frees what is left of the folder states.
    ~ScannerEngine();
    ScannerEngine(const ScannerEngine&) = delete;
    ScannerEngine& operator=(const ScannerEngine&) = delete;

    // Starts the threads and returns at once; `completion` is resumed exactly once.
    void start(ScanCompletion* completion);
    // From any thread: stop handing out work and finish with CancellationError.
    void cancel();
    // Waits until every worker thread has ended.
    void join();

    // 1..64 as requested; automatic: 2 below 3 processors, else at most 12.
    static int resolveWorkerCount(int requested, int processors) noexcept;

    int workerCount() const noexcept { return workerCount_; }
    // Anchors a scan may keep open with `freeDescriptors` descriptors left under its
    // limit: half of them less a reserve for the workers' own, at most anchorLimit.
    static int anchorBudget(long freeDescriptors, int workers) noexcept;

    // --- for the workers ---
    // Folders taken from the queue at once, all from one run: processed last first,
    // as if taken one by one. With a claim, each holds a use of parent's anchor
    // until the worker lets go of them together, and the batch holds a piece of the
    // parent (retired then) so that the parent outlives the claims.
    struct Batch {
        ScannerDirectory* parent = nullptr;
        bool claimed = false;
        std::uint32_t claims = 0;            // uses of parent's anchor held
        std::vector<ScannerDirectory*> folders; // the next one last
        ScannerListingShare* share = nullptr;   // instead of folders: a listing to help with
    };

    const ScannerDirectory* root() const noexcept { return root_; }
    const ScanOptions& options() const noexcept { return options_; }
    const ScannerVolumePolicy& policy() const noexcept { return policy_; }
    ScannerHardLinkSet& hardLinks() noexcept { return hardLinks_; }
    // Before start: the workers keep a record of the files with other links they list.
    void recordHardLinks() noexcept { recordsHardLinks_ = true; }
    bool recordsHardLinks() const noexcept { return recordsHardLinks_; }
    // A worker's record, handed over when it ends.
    void keepHardLinks(std::vector<ScannedHardLink>&& links);
    // After join: the whole scan's record.
    std::vector<ScannedHardLink> takeHardLinks();
    ScannerDescriptorLedger& descriptors() noexcept { return descriptors_; }
    // The scan root's path with every link resolved (or as given, where that fails).
    const std::string& resolvedRootPath() const noexcept { return resolvedRoot_; }
    bool isCancelled() const noexcept { return cancelled_.load(); }
    int queuedCount() const noexcept { return queuedCount_.load(); }
    // Puts one folder, without a claim.
    void put(ScannerDirectory* directory);
    // Puts parent's sub-folders [begin, end); with `claim`, each holds a user of the
    // parent's anchor, added here.
    void putRun(ScannerDirectory* parent, std::uint32_t begin, std::uint32_t end, bool claim);
    // Blocks for the next folders (a few of one run when it is long, so that
    // workers do not queue up for the lock), or, with no folder queued, a listing
    // to help with; false once the queue is closed.
    bool take(Batch& batch);
    // Offers a batch of a long listing to idle workers, until it is withdrawn.
    void offer(ScannerListingShare* share);
    // Takes the offer back: no worker joins it any more.
    void withdraw(ScannerListingShare* share);
    // A helper is done with a share it was given by take.
    void leave(ScannerListingShare* share);
    // Waits until every worker that joined the share has left it (before it is
    // used for another batch or goes).
    void awaitHelpers(ScannerListingShare* share);

    // Makes `fd` the anchor of `d`, its lister holding the first use; false when no
    // more anchors may be kept (the budget is spent, or descriptors ran short).
    bool anchor(ScannerDirectory* d, int fd);
    // Makes the scan root's descriptor an anchor kept until the scan ends.
    void anchorRoot(ScannerDirectory* root, int fd);
    // Lets go of `count` uses of d's anchor, closing it after the last.
    void releaseAnchor(ScannerDirectory* d, std::int32_t count = 1);
    // Descriptors ran short: no new anchors, and every queued run lets go of its claim.
    void noteDescriptorShortage();
    // Closes the scan root's anchor, the last one a scan keeps; false when closed already.
    bool releaseRootAnchor();
    // Retires one piece of `directory`; finalises it and its ancestors as they complete.
    void finish(ScannerDirectory* directory);
    // Adds the tally to the running totals; true when a progress report is due now
    // (the caller then calls report with the folder's path).
    bool flushTally(ScannerTally& tally);
    void report(std::string_view currentPath);
    // Ends the scan with `error` (a worker's unexpected failure).
    void fail(std::exception_ptr error);

    ScanProgress totals() const;

    // Called by a worker before it opens a folder, with the folder's path. Tests set
    // it before a scan and clear it after; it is null in the program.
    static std::function<void(const std::string& path)>& folderHookForTesting();

private:
    struct Run {
        ScannerDirectory* parent;  // null for a folder put alone
        ScannerDirectory* single;
        std::uint32_t begin, end;  // parent->subdirectories[begin, end), taken from the end
        bool claimed;
    };

    void closeQueue();
    // Drops offers with no chunk left; whether one is left. Under queueLock_.
    bool hasShare();
    void finishWith(NodeRef node, std::exception_ptr error);
    void runWorker(int index);

    ScannerDirectory* root_;
    const ScanOptions options_;
    const ScannerVolumePolicy policy_;
    const int workerCount_;
    const ScanProgressCallback progress_;

    std::mutex queueLock_;
    std::condition_variable queueCondition_;
    std::vector<Run> queue_;
    bool queueClosed_ = false;
    std::atomic<int> queuedCount_{0};
    std::atomic<bool> cancelled_{false};

    std::mutex completionLock_;
    ScanCompletion* continuation_ = nullptr;
    bool isFinished_ = false;

    ScannerHardLinkSet hardLinks_;
    bool recordsHardLinks_ = false;
    std::mutex recordLock_;
    std::vector<ScannedHardLink> recordedLinks_;
    std::atomic<std::int64_t> filesScanned_{0};
    std::atomic<std::int64_t> directoriesScanned_{0};
    std::atomic<std::int64_t> bytesScanned_{0};
    std::atomic<std::int64_t> errorCount_{0};
    std::atomic<std::uint64_t> lastReport_{0};

    ScannerDescriptorLedger descriptors_;
    std::string resolvedRoot_;
    int anchorBudget_ = 0;
    std::atomic<int> anchorsOpen_{0};
    std::atomic<bool> descriptorsShort_{false};
    std::atomic<bool> rootAnchored_{false};

    std::vector<std::thread> threads_;

    // Under queueLock_ (kept apart from the fields above, which every worker reads often).
    std::vector<ScannerListingShare*> shares_; // offered, with chunks left to take
    std::condition_variable helpersLeft_;
};

} // namespace plenwick
