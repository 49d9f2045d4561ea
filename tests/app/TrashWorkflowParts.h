#pragma once
// The trash moves and the uninstall entry built directly over the state's parts, with
// a record of what they ask of the state around them.

#include "StateFixture.h"

#include "app/Alerts.h"
#include "app/Navigation.h"
#include "app/NodeMapping.h"
#include "app/Presentation.h"
#include "app/ScanResults.h"
#include "app/TrashMoves.h"
#include "app/TypeStatistics.h"
#include "app/UninstallEntry.h"
#include "app/UninstallServices.h"

namespace plenwick::test {

// /scan 170: Big 100 (big1 60, big2 40), Mail.app 60 (package), t.txt 10.
class TrashWorkflowTest : public StateTest {
protected:
    void SetUp() override {
        environment = fakeEnvironment();
        environment.uninstall = completedUninstallServices(std::move(environment.uninstall), userInitiated);

        root = folder("/scan", {folder("Big", {file("big1", 60), file("big2", 40)}),
                                node("Mail.app", FileNode::Kind::package, 60), file("t.txt", 10)});
        big = child(root, "Big");
        big1 = child(big, "big1");
        mail = child(root, "Mail.app");
        {
            StateChanges::Operation op(changes);
            results.setRoot(root);
        }
        moves = std::make_unique<TrashMoves>(changes, environment, results, presentation, alerts, upkeep());
        entry = std::make_unique<UninstallEntry>(changes, environment, results, alerts, *moves, upkeep());
        heard = 0;
    }
    void TearDown() override {
        entry.reset();
        moves.reset();
        StateTest::TearDown();
    }

    // Records each request in `asked`; edits and remaps act on the parts.
    TreeUpkeep upkeep() {
        return {[this](const std::function<void()>& edit) {
                    asked.push_back("edit");
                    edit();
                },
                [this](const NodeMapping& mapping) {
                    asked.push_back("remap");
                    alerts.remap(mapping);
                    moves->collector().remap(mapping);
                },
                [this](std::vector<NodeRef> removed, TypeTotals) {
                    asked.push_back("stats");
                    statsRemoved = std::move(removed);
                },
                [this] { asked.push_back("refresh"); }, [this] { asked.push_back("close"); },
                [this](const NodeRef& folder) { asked.push_back("rescan " + std::string(folder->name())); }};
    }

    StateChanges changes{[this](StateChanges::Fields fields) {
        heard |= fields;
        ++notifications;
    }};
    ScanResults results{changes};
    Navigation navigation{changes};
    TypeStatistics statistics{changes};
    Presentation presentation{changes, results, navigation, statistics};
    Alerts alerts{changes};
    AppEnvironment environment;
    std::unique_ptr<TrashMoves> moves;
    std::unique_ptr<UninstallEntry> entry;

    StateChanges::Fields heard = 0;
    int notifications = 0;
    std::vector<std::string> asked;
    std::vector<NodeRef> statsRemoved;
    NodeRef root, big, big1, mail;
};

} // namespace plenwick::test
