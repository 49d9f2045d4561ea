#include "chartviews/TreemapLayoutDriver.h"

namespace plenwick {

TreemapLayoutDriver::TreemapLayoutDriver(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &TreemapLayoutDriver::runSlice);
}

void TreemapLayoutDriver::start(std::unique_ptr<TreemapLayoutJob> job, Completion done) {
    job_ = std::move(job);
    done_ = std::move(done);
    timer_.start();
}

void TreemapLayoutDriver::cancel() {
    if (job_) job_->cancel();
}

void TreemapLayoutDriver::runSlice() {
    if (!job_) return;
    const TreemapLayoutJob::Status status = job_->step();
    if (status == TreemapLayoutJob::Status::running) {
        timer_.start();
        return;
    }
    std::optional<TreemapLayout> result;
    if (status == TreemapLayoutJob::Status::finished) result = job_->takeLayout();
    job_.reset();
    Completion done = std::move(done_);
    done_ = nullptr;
    if (done) done(std::move(result));
}

} // namespace plenwick
