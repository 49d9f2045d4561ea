#pragma once
// Where background work runs. The program uses two thread pools (user-initiated and
// utility work); tests substitute an executor that runs jobs when and in the order
// the test chooses.

#include <functional>

class QThreadPool;

namespace plenwick {

class Executor {
public:
    virtual ~Executor() = default;
    // Runs `job` some time later, on some thread. The job never touches the state.
    virtual void post(std::function<void()> job) = 0;
};

// Runs jobs on a QThreadPool it owns.
class ThreadPoolExecutor final : public Executor {
public:
    // `maxThreads` 0 or less: one per processor.
    explicit ThreadPoolExecutor(int maxThreads = 0);
    ~ThreadPoolExecutor() override;
    void post(std::function<void()> job) override;
    // Blocks until every posted job has finished (for orderly shutdown).
    void waitForDone();

private:
    QThreadPool* pool_;
};

// Runs jobs on a QThreadPool it owns whose going away waits at most `exitWait` for
// the jobs under way: a job stuck on a dead mount is left to its thread rather than
// holding the program's exit up (its pool is then never freed).
class LeavingThreadPoolExecutor final : public Executor {
public:
    LeavingThreadPoolExecutor(int maxThreads, int exitWaitMilliseconds = 2000);
    ~LeavingThreadPoolExecutor() override;
    void post(std::function<void()> job) override;

private:
    QThreadPool* pool_;
    int exitWait_;
};

// The two priorities of background work.
struct Executors {
    Executor& userInitiated;
    Executor& utility;
};

} // namespace plenwick
