#include "services/AdminMove.h"
#include "services/AdminScript.h"

#include "FakeRunner.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

TEST(AdminScript, OutcomesOfTheEscalation) {
    FakeRunner runner;
    const std::string script = "echo 'it''s'; exit 0";
    runner.answers = {{0, "done\nFAIL:1\n", ""}, {0, "", ""}};
    EXPECT_EQ(AdminScript::run(script, "prompt", runner), "done\nFAIL:1\n");
    EXPECT_EQ(AdminScript::run(script, "prompt", runner), "");
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[0].path, "/usr/bin/pkexec");
    EXPECT_EQ(runner.calls[0].arguments, (std::vector<std::string>{"/bin/sh", "-c", script}));

    const auto failureOf = [&](ProcessResult answer) {
        runner.answers = {answer};
        try {
            AdminScript::run(script, "prompt", runner);
        } catch (const AdminScript::Failure& failure) {
            return failure;
        }
        return AdminScript::Failure::failed("returned normally");
    };
    const auto dismissed = failureOf({126, "", "Error executing command as another user: Request dismissed\n"});
    EXPECT_EQ(dismissed.kind(), AdminScript::Failure::Kind::cancelled);
    EXPECT_EQ(dismissed.errorDescription(), "The administrator password prompt was cancelled.");
    const auto refused = failureOf({127, "", "Error executing command as another user: Not authorized\n"});
    EXPECT_EQ(refused.kind(), AdminScript::Failure::Kind::failed);
    EXPECT_EQ(refused.errorDescription(), "Error executing command as another user: Not authorized");
    EXPECT_EQ(failureOf({2, "", ""}).errorDescription(), "The administrator script failed.");
    EXPECT_EQ(failureOf({-1, "", "No such file or directory"}).errorDescription(),
              "Couldn’t prepare the administrator script.");
}

TEST(AdminScript, ProgramsRunWithTheirArgumentsAsTheyAre) {
    FakeRunner runner;
    const std::string program = "/opt/Plenwick.app/Contents/Helpers/PlenwickAdminMove";
    const std::vector<std::string> arguments{"/home/u/.local/share/Trash", "/Library/it's a \"name\"", "$(touch x); -n"};
    runner.answers = {{0, "FAIL:1\n", ""}};
    EXPECT_EQ(AdminScript::runProgram(program, arguments, "prompt", runner), "FAIL:1\n");
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].path, "/usr/bin/pkexec");
    EXPECT_EQ(runner.calls[0].arguments,
              (std::vector<std::string>{program, arguments[0], arguments[1], arguments[2]}));

    const auto failureOf = [&](ProcessResult answer) {
        runner.answers = {answer};
        try {
            AdminScript::runProgram(program, arguments, "prompt", runner);
        } catch (const AdminScript::Failure& failure) {
            return failure;
        }
        return AdminScript::Failure::failed("returned normally");
    };
    EXPECT_EQ(failureOf({126, "", "Request dismissed\n"}).kind(), AdminScript::Failure::Kind::cancelled);
    EXPECT_EQ(failureOf({1, "", "The administrator step must be started by pkexec.\n"}).errorDescription(),
              "The administrator step must be started by pkexec.");
    EXPECT_EQ(shellQuote("it's"), "'it'\\''s'");
}

TEST(AdminMove, TheProgramLivesInTheMainBundle) {
    EXPECT_EQ(adminMoveProgramPath("/opt/Plenwick.app"), "/opt/Plenwick.app/Contents/Helpers/PlenwickAdminMove");
    EXPECT_EQ(adminMoveProgramPath("/opt/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app"),
              "/opt/Plenwick.app/Contents/Helpers/PlenwickAdminMove");
    EXPECT_EQ(adminMoveArguments("/t", {"/a", "/b"}, ""), (std::vector<std::string>{"/t", "/a", "/b"}));
    EXPECT_EQ(adminMoveArguments("/t", {"/a"}, "Europe/Berlin"),
              (std::vector<std::string>{"--time-zone=Europe/Berlin", "/t", "/a"}));
}

TEST(AdminMove, TheProgramTakesItsUserFromPkexecOnly) {
    std::string output, errors;
    EXPECT_EQ(runAdminMove({"/tmp", "/tmp/x"}, nullptr, output, errors), 1);
    EXPECT_EQ(runAdminMove({"/tmp", "/tmp/x"}, "0; rm", output, errors), 1);
    EXPECT_EQ(runAdminMove({"/tmp", "/tmp/x"}, "", output, errors), 1);
    EXPECT_EQ(output, "");
    EXPECT_EQ(errors,
                          "The administrator step must be started by pkexec.\n"
                          "The administrator step must be started by pkexec.\n"
                          "The administrator step must be started by pkexec.\n");
    errors.clear();
    EXPECT_EQ(runAdminMove({"/tmp"}, "65534", output, errors), 1);
    EXPECT_EQ(errors, "Nothing to move.\n");
}

TEST(AdminMove, ParsesOnlyWholeResultLines) {
    EXPECT_EQ(adminMoveReports("FAIL:2\nnoise FAIL:3\nFAIL:\nFAIL:4x\n\nPART:5:Operation not permitted\nPART:6\n"
                               "PART::x\nPART:7:\nFAIL:10"),
              (std::vector<AdminMoveReport>{{2, false, ""}, {5, true, "Operation not permitted"}, {7, true, ""}, {10, false, ""}}));
}
