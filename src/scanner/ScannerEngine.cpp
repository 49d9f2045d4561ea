#include "scanner/ScannerEngine.h"

#include "base/Cancellation.h"
#include "base/ProcessorCount.h"
#include "scanner/ScannerClock.h"
#include "scanner/ScannerWorker.h"

#include <pthread.h>

#include <algorithm>
#include <system_error>

namespace plenwick {

std::function<void(const std::string&)>& ScannerEngine::folderHookForTesting() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

int ScannerEngine::resolveWorkerCount(int requested, int processors) noexcept {
    if (requested >= 1) return std::min(requested, 64);
    return processors < 3 ? 2 : std::min(processors, 12);
}

ScannerEngine::ScannerEngine(ScannerDirectory* root, ScanOptions options, int requestedWorkers,
                             ScannerVolumePolicy policy, ScanProgressCallback progress)
    : root_(root), options_(options), policy_(std::move(policy)),
      workerCount_(resolveWorkerCount(requestedWorkers, requestedWorkers >= 1 ? 1 : static_cast<int>(availableProcessors()))),
      progress_(std::move(progress)) {}

ScannerEngine::~ScannerEngine() {
    cancelled_.store(true);
    closeQueue();
    join();
    // Whatever was not finalised (a cancelled scan) is still reachable from the root.
    ScannerDirectory::destroyTree(root_);
}

void ScannerEngine::join() {
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void ScannerEngine::start(ScanCompletion* completion) {
    bool wasCancelled;
    {
        std::lock_guard guard(completionLock_);
        continuation_ = completion;
        wasCancelled = cancelled_.load();
    }
    if (wasCancelled) {
        finishWith(nullptr, std::make_exception_ptr(CancellationError()));
        return;
    }
    lastReport_.store(monotonicRawNanoseconds());
    put(root_);
    threads_.reserve(static_cast<std::size_t>(workerCount_));
    for (int i = 0; i < workerCount_; ++i) {
        try {
            threads_.emplace_back([this, i] { runWorker(i); });
        } catch (const std::system_error&) {
            break; // the system gives no more threads: go on with those running
        }
    }
    if (threads_.empty()) {
        // Nobody would ever take the root: end now instead of waiting forever.
        closeQueue();
        finishWith(nullptr,
                   std::make_exception_ptr(ScanError(ScanError::Kind::unreadable, std::string(root_->name()))));
    }
}

void ScannerEngine::runWorker(int index) {
    const std::string threadName = "PlenwickScan." + std::to_string(index); // at most 15 bytes
    pthread_setname_np(pthread_self(), threadName.c_str());
    try {
        ScannerWorker worker(*this);
        worker.run();
    } catch (...) {
        fail(std::current_exception());
    }
}

void ScannerEngine::cancel() {
    cancelled_.store(true);
    closeQueue();
    finishWith(nullptr, std::make_exception_ptr(CancellationError()));
}

void ScannerEngine::fail(std::exception_ptr error) {
    cancelled_.store(true);
    closeQueue();
    finishWith(nullptr, std::move(error));
}

void ScannerEngine::finishWith(NodeRef node, std::exception_ptr error) {
    ScanCompletion* taken = nullptr;
    {
        std::lock_guard guard(completionLock_);
        if (!isFinished_ && continuation_) {
            taken = continuation_;
            continuation_ = nullptr;
            isFinished_ = true;
        }
    }
    if (!taken) return;
    if (error) taken->resume(std::move(error));
    else taken->resume(std::move(node));
}

void ScannerEngine::put(ScannerDirectory* directory) {
    {
        std::lock_guard guard(queueLock_);
        if (queueClosed_) return; // stays reachable from the root and is freed with it
        queue_.push_back(directory);
        queuedCount_.store(static_cast<int>(queue_.size()));
    }
    queueCondition_.notify_one();
}

ScannerDirectory* ScannerEngine::take() {
    std::unique_lock guard(queueLock_);
    queueCondition_.wait(guard, [this] { return queueClosed_ || !queue_.empty(); });
    if (queueClosed_) return nullptr;
    ScannerDirectory* d = queue_.back();
    queue_.pop_back();
    queuedCount_.store(static_cast<int>(queue_.size()));
    return d;
}

void ScannerEngine::closeQueue() {
    {
        std::lock_guard guard(queueLock_);
        queueClosed_ = true;
        queue_.clear();
        queuedCount_.store(0);
    }
    queueCondition_.notify_all();
}

void ScannerEngine::finish(ScannerDirectory* d) {
    for (;;) {
        if (d->pending.fetch_sub(1) != 1) return;
        d->finalize();
        ScannerDirectory* parent = d->parent;
        if (!parent) break;
        d = parent;
    }
    // The root is done: every folder anywhere is.
    closeQueue();
    if (root_->node) {
        finishWith(std::move(root_->node), nullptr);
    } else {
        finishWith(nullptr,
                   std::make_exception_ptr(ScanError(ScanError::Kind::unreadable, std::string(root_->name()))));
    }
}

bool ScannerEngine::flushTally(ScannerTally& t) {
    if (t.files) filesScanned_.fetch_add(t.files);
    if (t.directories) directoriesScanned_.fetch_add(t.directories);
    if (t.bytes) bytesScanned_.fetch_add(t.bytes);
    if (t.errors) errorCount_.fetch_add(t.errors);
    t = ScannerTally{};
    if (!progress_) return false;
    const std::uint64_t now = monotonicRawNanoseconds();
    std::uint64_t last = lastReport_.load();
    if (now < last || now - last < reportInterval) return false;
    if (!lastReport_.compare_exchange_strong(last, now)) return false;
    return !cancelled_.load();
}

void ScannerEngine::report(std::string_view currentPath) {
    ScanProgress p = totals();
    p.currentPath.assign(currentPath);
    progress_(p);
}

ScanProgress ScannerEngine::totals() const {
    ScanProgress p;
    p.filesScanned = filesScanned_.load();
    p.directoriesScanned = directoriesScanned_.load();
    p.bytesScanned = bytesScanned_.load();
    p.errorCount = errorCount_.load();
    return p;
}

} // namespace plenwick
