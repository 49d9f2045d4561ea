#pragma once
// Copies of the menu-bar helper that a test starts and stops by hand.

#include "app/HelperController.h"

#include <functional>
#include <memory>
#include <vector>

namespace plenwick::test {

class FakeHelperProcesses final : public HelperProcesses {
public:
    struct Log {
        std::vector<int> running; // process ids
        std::vector<int> terminated;
        int launches = 0;
        bool installed = true;
        std::function<void()> exited; // the last exit watch asked for
        std::function<void()> startedOrEnded; // the bus name's owner changed
    };
    explicit FakeHelperProcesses(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    std::vector<RunningApp> running() const override {
        std::vector<RunningApp> copies;
        for (int pid : log_->running) copies.push_back({pid, "/opt/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app"});
        return copies;
    }
    void terminate(const RunningApp& copy) override { log_->terminated.push_back(copy.pid); }
    bool isInstalled() const override { return log_->installed; }
    void launch() override {
        ++log_->launches;
        log_->running.push_back(900 + log_->launches);
    }
    void watchExits(const std::vector<RunningApp>&, std::function<void()> exited) override {
        log_->exited = std::move(exited);
    }
    std::unique_ptr<QObject> watchStartsAndEnds(std::function<void()> changed) override {
        log_->startedOrEnded = std::move(changed);
        return nullptr;
    }

private:
    std::shared_ptr<Log> log_;
};

} // namespace plenwick::test
