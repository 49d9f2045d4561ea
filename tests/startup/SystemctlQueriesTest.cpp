#include "startup/SystemctlQueries.h"

#include "ScriptedRunner.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// Recorded from systemd 252 with --no-legend --no-pager --plain.
const char* const unitFiles = "console-getty.service                  disabled disabled\n"
                              "dbus.service                           static   -\n"
                              "cryptdisks.service                     masked   enabled\n"
                              "dbus-org.freedesktop.login1.service    alias    -\n"
                              "getty@.service                         enabled  enabled\n"
                              "postgresql@.service                    disabled enabled\n"
                              "systemd-timesyncd.service              enabled  enabled\n"
                              "run-once.service                       enabled-runtime enabled\n"
                              "\n"
                              "2 unit files listed.\n"
                              "garbage\n";

const char* const units = "dbus.service        loaded    active   running D-Bus System Message Bus\n"
                          "● gone.service      not-found inactive dead    gone.service\n"
                          "getty@tty1.service  loaded    active   running Getty on tty1\n"
                          "backup.service      loaded    failed   failed  Nightly backup\n"
                          "half\n";

} // namespace

TEST(SystemctlQueries, RecordedOutputsParseByColumn) {
    const auto states = parseListUnitFiles(unitFiles);
    EXPECT_EQ(states.size(), 8u);
    EXPECT_EQ(states.at("dbus.service"), "static");
    EXPECT_EQ(states.at("getty@.service"), "enabled");
    EXPECT_EQ(states.at("run-once.service"), "enabled-runtime");
    EXPECT_FALSE(states.count("2")) << "the count line is no unit";

    const auto active = parseListUnits(units);
    EXPECT_EQ(active.size(), 4u);
    EXPECT_EQ(active.at("gone.service"), "inactive") << "the status mark is skipped";
    EXPECT_EQ(active.at("getty@tty1.service"), "active");
    EXPECT_TRUE(parseListUnitFiles("").empty());
}

TEST(SystemctlQueries, OnlySwitchableStatesCountAsEnabledOrDisabled) {
    ServiceStates states;
    states.unitFileStates = parseListUnitFiles(unitFiles);
    states.activeStates = parseListUnits(units);
    EXPECT_EQ(states.isEnabled("systemd-timesyncd.service"), true);
    EXPECT_EQ(states.isEnabled("run-once.service"), true);
    EXPECT_EQ(states.isEnabled("console-getty.service"), false);
    EXPECT_EQ(states.isEnabled("dbus.service"), std::nullopt) << "static";
    EXPECT_EQ(states.isEnabled("cryptdisks.service"), std::nullopt) << "masked";
    EXPECT_EQ(states.isEnabled("never-heard-of.service"), std::nullopt);
    EXPECT_EQ(states.isRunning("dbus.service"), true);
    EXPECT_EQ(states.isRunning("backup.service"), false);
    EXPECT_EQ(states.isRunning("not-loaded.service"), false) << "the manager answered: not loaded";
    for (const char* state : {"static", "masked", "alias", "generated", "transient", "indirect", "linked"})
        EXPECT_FALSE(isSwitchableState(state)) << state;
}

TEST(SystemctlQueries, AsksForTheUnitsGivenAndFailuresLeaveStatesUnknown) {
    ScriptedRunner runner;
    const std::string files = "/bin/systemctl --user list-unit-files --type=service --no-legend --no-pager --plain -- "
                              "a.service -b.service";
    const std::string loaded = "/bin/systemctl --user list-units --type=service --all --no-legend --no-pager --plain -- "
                               "a.service -b.service";
    runner.succeed(files, "a.service enabled enabled\n");
    runner.answer(loaded, {1, {}, "Failed to connect to bus: No medium found\n"});
    ServiceStates states =
        ServiceStates::query(runner, ServiceScope::user, {"a.service", "-b.service"}, {"a.service", "-b.service"});
    std::sort(runner.calls.begin(), runner.calls.end()); // asked at once
    EXPECT_EQ(runner.calls, (std::vector<std::string>{files, loaded})) << "a name after -- is no option";
    EXPECT_EQ(states.isEnabled("a.service"), true);
    EXPECT_EQ(states.isRunning("a.service"), std::nullopt) << "no running manager";

    // A machine without systemctl at all.
    runner.answers.clear();
    states = ServiceStates::query(runner, ServiceScope::system, {"a.service"}, {"a.service"});
    EXPECT_EQ(states.isEnabled("a.service"), std::nullopt);
    EXPECT_EQ(states.isRunning("a.service"), std::nullopt);
    std::sort(runner.calls.begin(), runner.calls.end());
    EXPECT_EQ(runner.calls.back().rfind("/bin/systemctl list-units", 0), 0u) << "no --user for the system";

    // A long list in batches, each one's answer kept.
    std::vector<std::string> many;
    for (int i = 0; i < 85; ++i) many.push_back("u" + std::to_string(i) + ".service");
    for (std::size_t first = 0; first < many.size(); first += ServiceStates::unitFileBatch) {
        std::string line = "/bin/systemctl list-unit-files --type=service --no-legend --no-pager --plain --";
        for (std::size_t i = first; i < std::min(many.size(), first + ServiceStates::unitFileBatch); ++i)
            line += " " + many[i];
        runner.succeed(line, many[first] + " disabled enabled\n");
    }
    runner.calls.clear();
    states = ServiceStates::query(runner, ServiceScope::system, many, {});
    EXPECT_EQ(runner.calls.size(), 3u);
    EXPECT_EQ(states.isEnabled("u0.service"), false);
    EXPECT_EQ(states.isEnabled("u80.service"), false);
    EXPECT_EQ(states.isEnabled("u1.service"), std::nullopt);

    // Nothing to ask about: nothing run (systemctl would list every unit).
    runner.calls.clear();
    ServiceStates::query(runner, ServiceScope::system, {}, {});
    EXPECT_TRUE(runner.calls.empty());
}
