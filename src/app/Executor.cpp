#include "app/Executor.h"

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

} // namespace plenwick
