#include "startup/LaunchctlQueries.h"
#include "startup/StartupItem.h"

#include "ScriptedRunner.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

using Labels = std::set<std::string>;

TEST(LaunchctlQueriesTest, PrintDisabledReadsBothOverridesAndSkipsEverythingElse) {
    const std::string output =
        "disabled services = {\n"
        "\t\"com.maker.off\" => disabled\n"
        "\t\"com.maker.on\" => enabled\n"
        "   \"com.old.off\"=>true\t\n"
        "\t\"com.old.on\"  =>   false\n"
        "\tcom.bare.label => disabled\n"
        "\t\"com.capital\" => Disabled\n"
        "\t\"com.unknown\" => maybe\n"
        "\t\"com.twice\" => disabled => enabled\n"
        "\t\" \"\" \" => disabled\n"
        "\t\"\" => disabled\n"
        "\t\"com.quote\"inside\" => disabled\n"
        "}\n";
    const LaunchdOverrides overrides = parsePrintDisabled(output);
    EXPECT_EQ(overrides.disabled, (Labels{"com.maker.off", "com.old.off", "com.bare.label", "com.quote\"inside"}));
    EXPECT_EQ(overrides.enabled, (Labels{"com.maker.on", "com.old.on"}));

    EXPECT_TRUE(parsePrintDisabled("").disabled.empty());
    EXPECT_TRUE(parsePrintDisabled("\n\n").enabled.empty());
}

TEST(LaunchctlQueriesTest, AnOverrideBeatsThePropertyListEitherWay) {
    LaunchdOverrides overrides;
    overrides.disabled = {"off"};
    overrides.enabled = {"on"};
    // Turned on by the user although the list says Disabled: on.
    EXPECT_FALSE(overrides.isDisabled(std::string("on"), true));
    EXPECT_TRUE(overrides.isDisabled(std::string("off"), false));
    EXPECT_TRUE(overrides.isDisabled(std::string("other"), true));
    EXPECT_FALSE(overrides.isDisabled(std::string("other"), false));
    EXPECT_TRUE(overrides.isDisabled(std::nullopt, true));
    EXPECT_FALSE(overrides.isDisabled(std::nullopt, false));
}

TEST(LaunchctlQueriesTest, ListTakesTheThirdFieldOfEveryLineAfterTheHeader) {
    EXPECT_TRUE(parseLaunchctlList("").empty());
    EXPECT_TRUE(parseLaunchctlList("PID\tStatus\tLabel\n").empty());
    EXPECT_EQ(parseLaunchctlList("PID\tStatus\tLabel\n-\t0\tcom.maker.agent\n"), Labels{"com.maker.agent"});
    const std::string output =
        "PID\tStatus\tLabel\n"
        "412\t0\tcom.running\n"
        "-\t78\t com.spaced \n"  // not trimmed
        "-\t0\n"                 // two fields: skipped
        "\n"
        "-\t\tcom.empty.status\textra\n"
        "-\t0\t\n";              // an empty third field
    EXPECT_EQ(parseLaunchctlList(output), (Labels{"com.running", " com.spaced ", "com.empty.status", ""}));
    // The first line is a header even when it looks like a job.
    EXPECT_TRUE(parseLaunchctlList("-\t0\tcom.first\n").empty());
}

TEST(LaunchctlQueriesTest, QueriesRunInOrderAndAMissingToolGivesNothing) {
    ScriptedRunner runner;
    const std::string gui = userLaunchDomain();
    runner.succeed("/bin/launchctl print-disabled " + gui, "\t\"com.a\" => disabled\n\t\"com.b\" => enabled\n");
    runner.answer("/bin/launchctl print-disabled system", {1, "\t\"com.d\" => true\n", "ignored"});
    runner.succeed("/bin/launchctl list", "PID\tStatus\tLabel\n-\t0\tcom.a\n");
    const LaunchdState state = LaunchdState::query(runner);
    EXPECT_EQ(runner.calls, (std::vector<std::string>{"/bin/launchctl print-disabled " + gui,
                                                      "/bin/launchctl print-disabled system", "/bin/launchctl list"}));
    EXPECT_EQ(state.userOverrides.disabled, Labels{"com.a"});
    EXPECT_EQ(state.userOverrides.enabled, Labels{"com.b"});
    EXPECT_EQ(state.systemOverrides.disabled, Labels{"com.d"}); // output of a failing run still counts
    EXPECT_EQ(state.loaded, Labels{"com.a"});

    ScriptedRunner missing;
    const LaunchdState none = LaunchdState::query(missing);
    EXPECT_TRUE(none.userOverrides.disabled.empty() && none.systemOverrides.disabled.empty() && none.loaded.empty());
}

TEST(LaunchctlQueriesTest, PrintSucceedsOnlyWithStatusZero) {
    ScriptedRunner runner;
    runner.succeed("/bin/launchctl print system/com.known");
    runner.answer("/bin/launchctl print system/com.unknown", {113, {}, "Could not find service"});
    EXPECT_TRUE(launchctlPrintSucceeds(runner, "com.known", "system"));
    EXPECT_FALSE(launchctlPrintSucceeds(runner, "com.unknown", "system"));
    EXPECT_FALSE(launchctlPrintSucceeds(runner, "com.absent", "system")); // the tool can't start
}
