#pragma once
// Walks one folder tree with several dedicated threads and assembles the FileNode
// tree from the bottom up while it walks.

#include "scanner/DiskScanner.h"
#include "scanner/ScanCompletion.h"
#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerHardLinkSet.h"
#include "scanner/ScannerTally.h"
#include "scanner/ScannerVolumePolicy.h"

#include <atomic>
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

    // --- for the workers ---
    const ScannerDirectory* root() const noexcept { return root_; }
    const ScanOptions& options() const noexcept { return options_; }
    const ScannerVolumePolicy& policy() const noexcept { return policy_; }
    ScannerHardLinkSet& hardLinks() noexcept { return hardLinks_; }
    bool isCancelled() const noexcept { return cancelled_.load(); }
    int queuedCount() const noexcept { return queuedCount_.load(); }
    void put(ScannerDirectory* directory);
    // Blocks for the next folder; none once the queue is closed.
    ScannerDirectory* take();
    // Retires one piece of `directory`; finalises it and its ancestors as they complete.
    void finish(ScannerDirectory* directory);
    // Adds the tally to the running totals; true when a progress report is due now
    // (the caller then calls report with the folder's path).
    bool flushTally(ScannerTally& tally);
    void report(std::string_view currentPath);
    // Ends the scan with `error` (a worker's unexpected failure).
    void fail(std::exception_ptr error);
    // Descriptors of folders the workers hold open right now.
    std::atomic<int>& openDescriptors() noexcept { return openDescriptors_; }

    ScanProgress totals() const;

    // Called by a worker before it opens a folder, with the folder's path. Tests set
    // it before a scan and clear it after; it is null in the program.
    static std::function<void(const std::string& path)>& folderHookForTesting();

private:
    void closeQueue();
    void finishWith(NodeRef node, std::exception_ptr error);
    void runWorker(int index);

    ScannerDirectory* root_;
    const ScanOptions options_;
    const ScannerVolumePolicy policy_;
    const int workerCount_;
    const ScanProgressCallback progress_;

    std::mutex queueLock_;
    std::condition_variable queueCondition_;
    std::vector<ScannerDirectory*> queue_;
    bool queueClosed_ = false;
    std::atomic<int> queuedCount_{0};
    std::atomic<bool> cancelled_{false};

    std::mutex completionLock_;
    ScanCompletion* continuation_ = nullptr;
    bool isFinished_ = false;

    ScannerHardLinkSet hardLinks_;
    std::atomic<std::int64_t> filesScanned_{0};
    std::atomic<std::int64_t> directoriesScanned_{0};
    std::atomic<std::int64_t> bytesScanned_{0};
    std::atomic<std::int64_t> errorCount_{0};
    std::atomic<std::uint64_t> lastReport_{0};
    std::atomic<int> openDescriptors_{0};

    std::vector<std::thread> threads_;
};

} // namespace plenwick
