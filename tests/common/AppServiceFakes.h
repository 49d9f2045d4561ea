#pragma once
// Stand-ins for the application registry, the running apps and the scheduler.

#include "services/AppRegistry.h"
#include "services/RunningApps.h"
#include "services/Scheduler.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace plenwick::test {

// Answers with the bundles listed per identifier.
class FakeAppRegistry final : public AppRegistry {
public:
    std::map<std::string, std::vector<std::string>> bundles;
    std::set<std::string> failing; // identifiers whose look-up throws
    std::vector<std::string> applicationURLs(const std::string& bundleID) const override {
        if (failing.count(bundleID)) throw std::runtime_error("The registry can’t be read.");
        const auto it = bundles.find(bundleID);
        return it == bundles.end() ? std::vector<std::string>{} : it->second;
    }
};

// Instances per identifier; terminating records the call and, when `quitOnTerminate`
// holds, ends the instance at once.
class FakeRunningApps final : public RunningApps {
public:
    std::map<std::string, std::vector<RunningApp>> running;
    std::vector<RunningApp> terminated;
    bool quitOnTerminate = false;
    mutable int queries = 0;

    std::vector<RunningApp> instances(const std::string& bundleID) const override {
        ++queries;
        const auto it = running.find(bundleID);
        return it == running.end() ? std::vector<RunningApp>{} : it->second;
    }
    bool terminate(const RunningApp& app) override {
        terminated.push_back(app);
        if (quitOnTerminate)
            for (auto& [id, list] : running) std::erase(list, app);
        return true;
    }
};

// Time moves only when the test advances it.
class ManualScheduler final : public Scheduler {
public:
    void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> fn) override {
        waits.push_back(delay);
        pending.push_back({now + delay, QPointer<QObject>(context), std::move(fn)});
    }
    // Runs every wait that is due by `now + step`, in time order, including waits
    // scheduled meanwhile.
    void advance(std::chrono::milliseconds step) {
        const auto until = now + step;
        for (;;) {
            auto next = pending.end();
            for (auto it = pending.begin(); it != pending.end(); ++it)
                if (it->due <= until && (next == pending.end() || it->due < next->due)) next = it;
            if (next == pending.end()) break;
            Wait wait = std::move(*next);
            pending.erase(next);
            now = wait.due;
            if (wait.context) wait.fn();
        }
        now = until;
    }
    std::chrono::milliseconds now{0};
    std::vector<std::chrono::milliseconds> waits; // every wait asked for

private:
    struct Wait {
        std::chrono::milliseconds due;
        QPointer<QObject> context;
        std::function<void()> fn;
    };
    std::vector<Wait> pending;
};

} // namespace plenwick::test
