#include "services/AdminMoveScript.h"
#include "services/AdminScript.h"

#include "FakeRunner.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

namespace {

// Runs a move script with /bin/sh, the tools replaced by logging stubs around the real ones.
class MoveScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        mkdir((dir / "Trash").c_str(), 0700);
        mkdir((dir / "Trash/files").c_str(), 0700);
        mkdir((dir / "items").c_str(), 0755);
        mkdir((dir / "bin").c_str(), 0755);
        stub("launchctl", "echo \"launchctl $*\" >>'" + (dir / "log") + "'");
        stub("mv", "echo mv >>'" + (dir / "log") + "'; exec /bin/mv \"$@\"");
        stub("chown", "echo chown >>'" + (dir / "log") + "'; exec /bin/chown \"$@\"");
    }
    void stub(const std::string& name, const std::string& body) {
        writeFile(dir / ("bin/" + name), "#!/bin/sh\n" + body + "\n");
        chmod((dir / ("bin/" + name)).c_str(), 0755);
    }
    AdminMoveTools tools() const { return {dir / "bin/mv", dir / "bin/chown", dir / "bin/launchctl"}; }
    std::string files() const { return dir / "Trash/files"; }
    ProcessResult runScript(const std::vector<AdminMove>& moves) {
        return runProcess("/bin/sh", {"-c", adminMoveScript(moves, getuid(), getgid(), files(), tools())});
    }
    TempFolder dir;
};

} // namespace

TEST_F(MoveScriptTest, OddNamesMoveAndFailuresComeBackByIndex) {
    const std::vector<std::string> names{"it's", "back\\slash\\n", "line\nfeed", "$(touch pwned)", "-n", "a b;c|d&"};
    std::vector<AdminMove> moves;
    for (const std::string& name : names) {
        writeFile(dir / ("items/" + name), name);
        moves.push_back({dir / ("items/" + name), files() + "/" + name});
    }
    // Taken destination: never overwritten, reported failed.
    writeFile(dir / "items/taken", "new");
    writeFile(files() + "/taken", "old");
    moves.push_back({dir / "items/taken", files() + "/taken"});
    // Missing source.
    moves.push_back({dir / "items/missing\\", files() + "/missing\\"});

    const ProcessResult result = runScript(moves);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "FAIL:6\nFAIL:7\n");
    EXPECT_EQ(failedMoveIndices(result.output), (std::vector<std::size_t>{6, 7}));
    for (const std::string& name : names) {
        EXPECT_EQ(readFile(files() + "/" + name), name);
        EXPECT_FALSE(existsNoFollow(dir / ("items/" + name)));
    }
    EXPECT_EQ(readFile(files() + "/taken"), "old");
    EXPECT_EQ(readFile(dir / "items/taken"), "new");
    EXPECT_FALSE(existsNoFollow(dir / "pwned"));
    EXPECT_FALSE(existsNoFollow("pwned"));
}

TEST_F(MoveScriptTest, DaemonsUnloadFirstAndFailedOwnershipStillCountsAsMoved) {
    writeFile(dir / "items/job.plist", "x");
    stub("chown", "echo chown >>'" + (dir / "log") + "'; exit 1");
    const ProcessResult result = runScript({{dir / "items/job.plist", files() + "/job.plist", true}});
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(readFile(dir / "log"), "launchctl bootout system " + (dir / "items/job.plist") + "\nmv\nchown\n");
    EXPECT_TRUE(existsNoFollow(files() + "/job.plist"));
}

TEST_F(MoveScriptTest, ATrashThatIsALinkIsRefused) {
    TempFolder elsewhere;
    std::filesystem::remove_all(dir / "Trash");
    symlink(elsewhere.path().c_str(), (dir / "Trash").c_str());
    mkdir((elsewhere / "files").c_str(), 0700);
    writeFile(dir / "items/a", "a");
    writeFile(dir / "items/b", "b");
    const ProcessResult result =
        runScript({{dir / "items/a", files() + "/a"}, {dir / "items/b", files() + "/b"}});
    EXPECT_EQ(result.output, "FAIL:0\nFAIL:1\n");
    EXPECT_TRUE(existsNoFollow(dir / "items/a"));
    EXPECT_FALSE(existsNoFollow(dir / "log"));
}

TEST(AdminMoveScript, ParsesOnlyWholeFailLines) {
    EXPECT_EQ(failedMoveIndices("FAIL:2\nnoise FAIL:3\nFAIL:\nFAIL:4x\n\nFAIL:10"),
              (std::vector<std::size_t>{2, 10}));
}
