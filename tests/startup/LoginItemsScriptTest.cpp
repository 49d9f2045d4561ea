#include "startup/LoginItemsScript.h"

#include "ScriptedRunner.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

using Entry = LoginItemsScript::Entry;
using Failure = LoginItemsScript::Failure;

namespace {

const std::string tool = "/usr/bin/osascript -e ";

Failure failureOf(ScriptedRunner& runner, const std::string& script) {
    try {
        LoginItemsScript::run(script, runner);
    } catch (const Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << "no failure";
    return Failure::failed("none");
}

} // namespace

TEST(LoginItemsScriptTest, ParsesLinesOfThreeTabSeparatedFields) {
    EXPECT_TRUE(LoginItemsScript::parse("").empty());
    const std::string output =
        "Mail Helper\t/Applications/Mail Helper.app\tfalse\n"
        "Hidden\t\ttrue\n"                 // empty path
        "Capital\t/a\tTrue\n"              // only "true" is true
        "Short\t/only/two\n"               // two fields: no entry
        "\t/no/name\ttrue\n"               // empty name: no entry
        "\n"
        " Spaced \t /p \ttrue\textra\n";   // nothing trimmed, extra fields ignored
    EXPECT_EQ(LoginItemsScript::parse(output),
              (std::vector<Entry>{{"Mail Helper", "/Applications/Mail Helper.app", false},
                                  {"Hidden", "", true},
                                  {"Capital", "/a", false},
                                  {" Spaced ", " /p ", true}}));
}

TEST(LoginItemsScriptTest, RunMapsTheToolsFailures) {
    ScriptedRunner runner;
    runner.succeed(tool + "ok", "out\n");
    EXPECT_EQ(LoginItemsScript::run("ok", runner), "out\n"); // untrimmed
    EXPECT_EQ(runner.calls.back(), "/usr/bin/osascript -e ok");

    runner.answer(tool + "refused", {1, {}, "execution error: Not authorised to send Apple events to System Events. (-1743)\n"});
    runner.answer(tool + "both", {1, {}, "syntax error (-2740) and -1743 too"});
    runner.answer(tool + "consent", {1, {}, "(-1744)"});
    runner.answer(tool + "words", {1, {}, "Not authorized"});
    for (const char* script : {"refused", "both", "consent", "words"}) {
        const Failure failure = failureOf(runner, script);
        EXPECT_EQ(failure, Failure::notAuthorized()) << script;
        EXPECT_EQ(failure.errorDescription(),
                  "Plenwick isn’t allowed to read your login items. Allow it to control System Events in System "
                  "Settings › Privacy & Security › Automation.");
    }

    runner.answer(tool + "broken", {1, {}, " \n  execution error: boom (-2700)\n\n"});
    EXPECT_EQ(failureOf(runner, "broken"), Failure::failed("execution error: boom (-2700)"));
    EXPECT_EQ(failureOf(runner, "broken").errorDescription(), "execution error: boom (-2700)");
    runner.answer(tool + "silent", {3, "output is not looked at", ""});
    EXPECT_EQ(failureOf(runner, "silent"), Failure::failed(""));
    // No osascript on this machine: the runner's start error is the text.
    EXPECT_EQ(failureOf(runner, "anything"), Failure::failed("No such file or directory"));
    EXPECT_NE(Failure::failed("a"), Failure::failed("b"));
}

TEST(LoginItemsScriptTest, ScriptsAreWrittenExactly) {
    const std::string& list = LoginItemsScript::listScript();
    EXPECT_EQ(list.size(), 248u);
    EXPECT_EQ(list.substr(0, 17), "set output to \"\"\n");
    EXPECT_EQ(list.substr(list.size() - 14), "\nreturn output");

    EXPECT_EQ(LoginItemsScript::deleteScript("Plain"),
              "tell application \"System Events\" to delete login item \"Plain\"");
    EXPECT_EQ(LoginItemsScript::deleteScript("Say \"Hi\" \\ now"),
              "tell application \"System Events\" to delete login item \"Say \\\"Hi\\\" \\\\ now\"");
}
