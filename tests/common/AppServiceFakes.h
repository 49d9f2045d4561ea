#pragma once
// Stand-ins for the application registry and the running apps (with ManualClock, the
// clock tests move by hand).

#include "runtime/ManualClock.h"
#include "services/AppRegistry.h"
#include "services/RunningApps.h"

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

} // namespace plenwick::test
