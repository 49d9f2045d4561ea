#pragma once
// The waiting caller of one scan: resumed exactly once with the root node or an
// error, from whichever thread finishes the engine.

#include "scanner/FileNode.h"

#include <condition_variable>
#include <exception>
#include <mutex>

namespace plenwick {

class ScanCompletion {
public:
    void resume(NodeRef node) {
        {
            std::lock_guard guard(lock_);
            if (done_) return;
            node_ = std::move(node);
            done_ = true;
        }
        condition_.notify_all();
    }
    void resume(std::exception_ptr error) {
        {
            std::lock_guard guard(lock_);
            if (done_) return;
            error_ = std::move(error);
            done_ = true;
        }
        condition_.notify_all();
    }
    // Blocks until resumed; returns the node or rethrows the error.
    NodeRef wait() {
        std::unique_lock guard(lock_);
        condition_.wait(guard, [this] { return done_; });
        if (error_) std::rethrow_exception(error_);
        return std::move(node_);
    }
    // Blocks until resumed, leaving the result in place.
    void waitUntilDone() {
        std::unique_lock guard(lock_);
        condition_.wait(guard, [this] { return done_; });
    }

private:
    std::mutex lock_;
    std::condition_variable condition_;
    bool done_ = false;
    NodeRef node_;
    std::exception_ptr error_;
};

} // namespace plenwick
