#include "charts/ParallelFor.h"

#include "base/ProcessorCount.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

namespace plenwick {
namespace {

struct Loop {
    const std::function<void(std::size_t)>* body;
    std::size_t count;
    std::atomic<std::size_t> next{0};
    std::size_t finished = 0;   // guarded by mutex: iterations run or given up
    std::exception_ptr error;   // guarded by mutex: the first thrown
    std::mutex mutex;
    std::condition_variable allDone;

    // Runs iterations until none are left. A throwing iteration gives up every one
    // not yet taken, so the loop ends once those already running have returned.
    void work() {
        std::size_t done = 0;
        std::exception_ptr thrown;
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            ++done;
            try {
                (*body)(i);
            } catch (...) {
                thrown = std::current_exception();
                const std::size_t taken = next.exchange(count, std::memory_order_relaxed);
                done += count - std::min(taken, count);
                break;
            }
        }
        if (done == 0) return;
        std::lock_guard lock(mutex);
        if (thrown && !error) error = std::move(thrown);
        finished += done;
        if (finished == count) allDone.notify_all();
    }
};

class Pool {
public:
    Pool() {
        const unsigned n = availableProcessors() - 1;
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this, i] {
                const std::string name = "Plenwick.pool." + std::to_string(i);
                pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
                run();
            });
    }
    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : threads_) t.join();
    }

    unsigned size() const noexcept { return static_cast<unsigned>(threads_.size()); }

    void post(const std::shared_ptr<Loop>& loop, unsigned helpers) {
        {
            std::lock_guard lock(mutex_);
            for (unsigned i = 0; i < helpers; ++i) queue_.push_back(loop);
        }
        if (helpers == 1) wake_.notify_one();
        else wake_.notify_all();
    }

private:
    void run() {
        for (;;) {
            std::shared_ptr<Loop> loop;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (stopping_) return;
                loop = std::move(queue_.front());
                queue_.pop_front();
            }
            loop->work();
        }
    }

    std::vector<std::thread> threads_;
    std::deque<std::shared_ptr<Loop>> queue_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

Pool& pool() {
    static Pool instance;
    return instance;
}

} // namespace

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& body, unsigned threadLimit) {
    if (count == 0) return;
    unsigned helpers = pool().size();
    if (threadLimit > 0) helpers = std::min(helpers, threadLimit - 1);
    helpers = static_cast<unsigned>(std::min<std::size_t>(helpers, count - 1));
    if (helpers == 0) {
        for (std::size_t i = 0; i < count; ++i) body(i);
        return;
    }
    auto loop = std::make_shared<Loop>();
    loop->body = &body;
    loop->count = count;
    pool().post(loop, helpers);
    loop->work();
    std::unique_lock lock(loop->mutex);
    loop->allDone.wait(lock, [&] { return loop->finished == loop->count; });
    // No thread runs the body any more: only now may the caller's frame go.
    if (loop->error) std::rethrow_exception(loop->error);
}

} // namespace plenwick
