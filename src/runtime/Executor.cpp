#include "runtime/Executor.h"

#include <QThreadPool>

namespace plenwick {

ThreadPoolExecutor::ThreadPoolExecutor(int maxThreads) : pool_(new QThreadPool) {
    if (maxThreads > 0) pool_->setMaxThreadCount(maxThreads);
}

ThreadPoolExecutor::~ThreadPoolExecutor() {
    pool_->waitForDone();
    delete pool_;
}

void ThreadPoolExecutor::post(std::function<void()> job) { pool_->start(std::move(job)); }

void ThreadPoolExecutor::waitForDone() { pool_->waitForDone(); }

LeavingThreadPoolExecutor::LeavingThreadPoolExecutor(int maxThreads, int exitWaitMilliseconds)
    : pool_(new QThreadPool), exitWait_(exitWaitMilliseconds) {
    pool_->setMaxThreadCount(maxThreads);
}

LeavingThreadPoolExecutor::~LeavingThreadPoolExecutor() {
    if (pool_->waitForDone(exitWait_)) delete pool_;
}

void LeavingThreadPoolExecutor::post(std::function<void()> job) { pool_->start(std::move(job)); }

} // namespace plenwick
