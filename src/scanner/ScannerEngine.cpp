#include "scanner/ScannerEngine.h"

#include "base/Cancellation.h"
#include "base/ProcessorCount.h"
#include "scanner/ScannerClock.h"
#include "scanner/ScannerWorker.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace plenwick {

std::function<void(const std::string&)>& ScannerEngine::folderHookForTesting() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

namespace {

// Descriptors the process may still open under its limit, or -1 when unknown.
long freeDescriptors() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -1;
    long open = 0;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return -1;
    while (const dirent* e = ::readdir(fds)) open += e->d_name[0] != '.';
    ::closedir(fds);
    return static_cast<long>(limit.rlim_cur) - (open - 1); // less the listing's own
}

std::string resolvedPath(const char* path) {
    char* resolved = ::realpath(path, nullptr);
    if (!resolved) return path;
    std::string out = resolved;
    std::free(resolved);
    return out;
}

} // namespace

int ScannerEngine::resolveWorkerCount(int requested, int processors) noexcept {
    if (requested >= 1) return std::min(requested, 64);
    return processors < 3 ? 2 : std::min(processors, 12);
}

int ScannerEngine::anchorBudget(long free, int workers) noexcept {
    // Each worker may hold one descriptor per inline level, and one more it opens.
    const long budget = free / 2 - static_cast<long>(workers) * (inlineDepthLimit + 2);
    return static_cast<int>(std::clamp<long>(budget, 0, anchorLimit));
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
    resolvedRoot_ = resolvedPath(root_->cName());
    anchorBudget_ = anchorBudget(freeDescriptors(), workerCount_);
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

void ScannerEngine::keepHardLinks(std::vector<ScannedHardLink>&& links) {
    if (links.empty()) return;
    std::lock_guard guard(recordLock_);
    if (recordedLinks_.empty()) {
        recordedLinks_ = std::move(links);
    } else {
        recordedLinks_.insert(recordedLinks_.end(), std::make_move_iterator(links.begin()),
                              std::make_move_iterator(links.end()));
    }
}

std::vector<ScannedHardLink> ScannerEngine::takeHardLinks() {
    std::lock_guard guard(recordLock_);
    return std::move(recordedLinks_);
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
        queue_.push_back({nullptr, directory, 0, 1, false});
        queuedCount_.store(queuedCount_.load() + 1);
    }
    queueCondition_.notify_one();
}

void ScannerEngine::putRun(ScannerDirectory* parent, std::uint32_t begin, std::uint32_t end, bool claim) {
    if (begin >= end) return;
    const auto count = static_cast<std::int32_t>(end - begin);
    if (claim) parent->anchorUsers.fetch_add(count, std::memory_order_relaxed); // the lister holds one
    bool closed;
    {
        std::lock_guard guard(queueLock_);
        closed = queueClosed_;
        if (!closed) {
            queue_.push_back({parent, nullptr, begin, end, claim});
            queuedCount_.store(queuedCount_.load() + count);
        }
    }
    if (closed) {
        if (claim) releaseAnchor(parent, count);
        return;
    }
    if (count == 1) queueCondition_.notify_one();
    else queueCondition_.notify_all();
}

bool ScannerEngine::take(Batch& batch) {
    batch.folders.clear();
    batch.parent = nullptr;
    batch.claimed = false;
    batch.claims = 0;
    batch.share = nullptr;
    std::unique_lock guard(queueLock_);
    queueCondition_.wait(guard, [this] { return queueClosed_ || !queue_.empty() || hasShare(); });
    if (queueClosed_) return false;
    if (queue_.empty()) {
        batch.share = shares_.back();
        ++batch.share->helpers;
        return true;
    }
    Run& run = queue_.back();
    if (run.single) {
        batch.folders.push_back(run.single);
        queue_.pop_back();
    } else {
        const std::uint32_t left = run.end - run.begin;
        const std::uint32_t count =
            std::clamp<std::uint32_t>(left / (2 * static_cast<std::uint32_t>(workerCount_)), 1, 16);
        batch.parent = run.parent;
        batch.claimed = run.claimed;
        if (run.claimed) {
            batch.claims = count;
            // The claims are let go of after the batch's folders may have finished:
            // a piece of the parent keeps it alive until then.
            run.parent->pending.fetch_add(1);
        }
        const auto& list = run.parent->subdirectories;
        batch.folders.assign(list.begin() + (run.end - count), list.begin() + run.end);
        run.end -= count;
        if (run.end == run.begin) queue_.pop_back();
    }
    queuedCount_.store(queuedCount_.load() - static_cast<int>(batch.folders.size()));
    return true;
}

bool ScannerEngine::hasShare() {
    std::erase_if(shares_, [](const ScannerListingShare* s) { return s->isTaken(); });
    return !shares_.empty();
}

void ScannerEngine::offer(ScannerListingShare* share) {
    {
        std::lock_guard guard(queueLock_);
        if (queueClosed_) return;
        shares_.push_back(share);
    }
    queueCondition_.notify_all();
}

void ScannerEngine::withdraw(ScannerListingShare* share) {
    std::lock_guard guard(queueLock_);
    std::erase(shares_, share);
}

void ScannerEngine::awaitHelpers(ScannerListingShare* share) {
    std::unique_lock guard(queueLock_);
    helpersLeft_.wait(guard, [share] { return share->helpers == 0; });
}

void ScannerEngine::leave(ScannerListingShare* share) {
    std::lock_guard guard(queueLock_);
    // Notified under the lock: once the lister sees none left, the share may go.
    if (--share->helpers == 0) helpersLeft_.notify_all();
}

void ScannerEngine::closeQueue() {
    {
        std::lock_guard guard(queueLock_);
        queueClosed_ = true;
        queue_.clear(); // claims left are closed with the folder states
        shares_.clear(); // their listers withdraw them
        queuedCount_.store(0);
    }
    queueCondition_.notify_all();
}

bool ScannerEngine::anchor(ScannerDirectory* d, int fd) {
    if (descriptorsShort_.load(std::memory_order_relaxed)) return false;
    if (anchorsOpen_.fetch_add(1, std::memory_order_relaxed) >= anchorBudget_) {
        anchorsOpen_.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }
    d->anchorFd = fd;
    d->anchorUsers.store(1, std::memory_order_release);
    return true;
}

void ScannerEngine::anchorRoot(ScannerDirectory* root, int fd) {
    root->anchorFd = fd;
    root->anchorUsers.store(2, std::memory_order_release); // its lister's use and the scan's own
    descriptors_.pinned();
    rootAnchored_.store(true);
}

void ScannerEngine::releaseAnchor(ScannerDirectory* d, std::int32_t count) {
    if (d->anchorUsers.fetch_sub(count, std::memory_order_acq_rel) != count) return;
    ::close(d->anchorFd);
    if (d == root_) {
        descriptors_.unpinned();
    } else {
        anchorsOpen_.fetch_sub(1, std::memory_order_relaxed);
        descriptors_.closed();
    }
}

bool ScannerEngine::releaseRootAnchor() {
    if (!rootAnchored_.exchange(false)) return false;
    releaseAnchor(root_);
    return true;
}

void ScannerEngine::noteDescriptorShortage() {
    descriptorsShort_.store(true, std::memory_order_relaxed);
    // Anchors that only wait for queued folders would hold descriptors the workers
    // now need: the queued folders will be opened from an ancestor instead.
    std::vector<std::pair<ScannerDirectory*, std::int32_t>> claims;
    {
        std::lock_guard guard(queueLock_);
        for (Run& run : queue_) {
            if (!run.claimed) continue;
            claims.emplace_back(run.parent, static_cast<std::int32_t>(run.end - run.begin));
            run.claimed = false;
            run.parent->pending.fetch_add(1); // alive until its claims are let go of
        }
    }
    for (const auto& [parent, count] : claims) {
        releaseAnchor(parent, count);
        finish(parent);
    }
}

void ScannerEngine::finish(ScannerDirectory* d) {
    for (;;) {
        if (d->pending.fetch_sub(1) != 1) return;
        d->finalize(); // hands its node and totals to the parent
        ScannerDirectory* parent = d->parent;
        if (!parent) break;
        ScannerDirectory::finished(d);
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
