#pragma once
// The state's parts and workflows built directly, without the state: manual
// executors, fixed volumes and a change set that records what its observers heard.

#include "StateFixture.h"

#include "app/Alerts.h"
#include "app/FolderRescan.h"
#include "app/Navigation.h"
#include "app/Presentation.h"
#include "app/ScanResults.h"
#include "app/ScanRun.h"
#include "app/StatsUpdates.h"
#include "app/VolumeRefresh.h"

#include <optional>
#include <utility>

namespace plenwick::test {

// A change set on its own; each outermost operation's bits are kept in order.
class HeardChanges : public StateChanges {
public:
    HeardChanges() : StateChanges([this](Fields fields) { heard.push_back(fields); }) {}
    std::vector<Fields> heard;
};

class WorkflowTest : public ::testing::Test {
protected:
    WorkflowTest() {
        env.userInitiated = userInitiated;
        env.utility = utility;
        env.volumeSource = volumeSource;
        env.preferences = std::make_shared<MemoryPreferences>();
    }
    // The workflows over the parts, wired as the state wires them; `pruned` hears
    // what a rescan found gone.
    void build() {
        stats.emplace(changes, env, results);
        presentation.emplace(changes, results, navigation, stats->statistics());
        volumes.emplace(changes, env, results);
        scan.emplace(changes, env, ScanRun::Parts{results, navigation, *presentation, alerts, *stats, *volumes});
        rescan.emplace(changes, env, FolderRescan::Parts{results, alerts, *scan, *stats, *volumes},
                       [this](const std::vector<NodeRef>& nodes) { pruned.insert(pruned.end(), nodes.begin(), nodes.end()); });
        results.addNodeHolder([this](const NodeMapping& mapping) { navigation.remap(mapping, results.root().get()); });
    }
    static void deliver() { QCoreApplication::processEvents(); }
    void settle() { settleJobs(*userInitiated, *utility); }
    bool heard(StateField field) const {
        for (auto fields : changes.heard)
            if (fields & stateBit(field)) return true;
        return false;
    }

    std::shared_ptr<ManualExecutor> userInitiated = std::make_shared<ManualExecutor>();
    std::shared_ptr<ManualExecutor> utility = std::make_shared<ManualExecutor>();
    std::shared_ptr<FixedVolumes> volumeSource = std::make_shared<FixedVolumes>();
    AppEnvironment env;
    HeardChanges changes;
    ScanResults results{changes};
    Navigation navigation{changes};
    Alerts alerts{changes};
    std::optional<StatsUpdates> stats;
    std::optional<Presentation> presentation;
    std::optional<VolumeRefresh> volumes;
    std::optional<ScanRun> scan;
    std::optional<FolderRescan> rescan;
    std::vector<NodeRef> pruned;
    QTemporaryDir dir;
};

} // namespace plenwick::test
