#include "services/ItemTrasher.h"

#include "FakeRunner.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class ItemTrasherTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(data.path().c_str(), 0777);
        chmod(items.path().c_str(), 0755);
        setenv("XDG_DATA_HOME", (data / "root").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }
    std::string item(const std::string& name, const std::string& content = "x") {
        writeFile(items / name, content);
        return items / name;
    }
    TempFolder data;
    TempFolder items;
};

// Runs `check` as nobody; the administrator scripts it hands over run here, as root,
// the way the escalation would run them. The prompts shown are collected in `prompts`.
bool sendText(int fd, const std::string& text) {
    const std::uint64_t size = text.size();
    if (write(fd, &size, sizeof size) != sizeof size) return false;
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveText(int fd, std::string& text) {
    std::uint64_t size = 0;
    if (read(fd, &size, sizeof size) != sizeof size) return false;
    text.resize(size);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = read(fd, text.data() + done, size - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string asNobodyWithRoot(const std::function<std::string(const AdminScriptRunner&)>& check,
                             std::vector<std::string>& prompts) {
    int toRoot[2], toChild[2];
    if (pipe(toRoot) != 0 || pipe(toChild) != 0) return "pipe failed";
    return asNobody(
        [&]() -> std::string {
            close(toRoot[0]);
            close(toChild[1]);
            return check([&](const std::string& script, const std::string& prompt) {
                std::string output;
                if (!sendText(toRoot[1], prompt) || !sendText(toRoot[1], script) || !receiveText(toChild[0], output))
                    throw AdminScript::Failure::failed("no root");
                return output;
            });
        },
        [&] {
            close(toRoot[1]);
            close(toChild[0]);
            std::string prompt, script;
            while (receiveText(toRoot[0], prompt) && receiveText(toRoot[0], script)) {
                prompts.push_back(prompt);
                sendText(toChild[1], runProcess("/bin/sh", {"-c", script}).output);
            }
            close(toRoot[0]);
            close(toChild[1]);
        });
}

} // namespace

TEST_F(ItemTrasherTest, PlainMovesUnloadJobsAndSkipMissingItems) {
    mkdir((items / "LaunchAgents").c_str(), 0755);
    mkdir((items / "LaunchDaemons").c_str(), 0755);
    const std::string agent = item("LaunchAgents/com.x.agent.plist");
    const std::string daemon = item("LaunchDaemons/com.x.daemon.plist");
    const std::string file = item("file.txt");
    symlink("/nonexistent", (items / "dangling").c_str());
    FakeRunner runner;
    bool asked = false;
    ItemTrasher::Environment env;
    env.runner = &runner;
    env.adminScript = [&](const std::string&, const std::string&) { asked = true; return std::string(); };

    const auto result = ItemTrasher::trash({agent, items / "missing", daemon, file, items / "dangling"}, std::nullopt, env);
    EXPECT_EQ(result.trashed, (std::vector<std::string>{agent, daemon, file, items / "dangling"}));
    EXPECT_TRUE(result.failures.empty());
    EXPECT_FALSE(asked);
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[0].path, "/bin/launchctl");
    EXPECT_EQ(runner.calls[0].arguments, (std::vector<std::string>{"bootout", "gui/" + std::to_string(getuid()), agent}));
    EXPECT_EQ(runner.calls[1].arguments, (std::vector<std::string>{"bootout", "system", daemon}));
    EXPECT_TRUE(existsNoFollow(data / "root/Trash/files/com.x.agent.plist"));
    EXPECT_TRUE(existsNoFollow(data / "root/Trash/info/dangling.trashinfo"));
}

TEST_F(ItemTrasherTest, OtherErrorsFailPlainlyWithTheirDescription) {
    // A Trash that cannot be made: a daemon's list in a writable folder is not queued.
    writeFile(data / "root", "not a folder");
    mkdir((items / "LaunchDaemons").c_str(), 0755);
    const std::string daemon = item("LaunchDaemons/d.plist");
    FakeRunner runner;
    ItemTrasher::Environment env;
    env.runner = &runner;
    env.adminScript = [](const std::string&, const std::string&) -> std::string { throw std::logic_error("asked"); };
    const auto result = ItemTrasher::trash({daemon}, std::nullopt, env);
    EXPECT_TRUE(result.trashed.empty());
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].message, "Not a directory");
    EXPECT_EQ(ItemTrasher::failureSummary(result.failures), "d.plist: Not a directory");
}

TEST(ItemTrasher, SummaryAndPrompts) {
    EXPECT_EQ(ItemTrasher::failureSummary({}), std::nullopt);
    EXPECT_EQ(ItemTrasher::failureSummary({{"/a/b.txt", "No"}, {"/c/d", "Gone"}}), "b.txt: No\nd: Gone");
    EXPECT_EQ(ItemTrasher::defaultPrompt({"/Library/x/Thing.app"}),
              "Plenwick needs your password to move “Thing.app” to the Trash.");
    EXPECT_EQ(ItemTrasher::defaultPrompt({"/a", "/b", "/c"}),
              "Plenwick needs your password to move 3 items owned by the system to the Trash.");
    EXPECT_TRUE(ItemTrasher::isPermissionError(std::error_code(EACCES, std::generic_category())));
    EXPECT_TRUE(ItemTrasher::isPermissionError(std::error_code(EPERM, std::generic_category())));
    EXPECT_FALSE(ItemTrasher::isPermissionError(std::error_code(EXDEV, std::generic_category())));
}

TEST_F(ItemTrasherTest, RefusedItemsGoThroughOneAdministratorScript) {
    mkdir((items / "locked").c_str(), 0755);
    const std::string odd = item("locked/it's a \\ \"name\"\nwith a feed.txt", "odd");
    const std::string same1 = item("locked/same.txt", "1");
    mkdir((items / "locked/sub").c_str(), 0755);
    const std::string same2 = item("locked/sub/same.txt", "2");
    const std::string bad = item("locked/bad.txt");
    const std::string own = item("own.txt");
    chmod(own.c_str(), 0666);
    chmod(items.path().c_str(), 0777);
    writeFile(data / "mv", "#!/bin/sh\ncase \"$4\" in *bad*) exit 1;; esac\nexec /bin/mv \"$@\"\n");
    chmod((data / "mv").c_str(), 0755);
    const std::string again = item("locked/again.txt");
    const std::string home = data / "nobody";
    std::vector<std::string> prompts;

    const std::string outcome = asNobodyWithRoot(
        [&](const AdminScriptRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            ItemTrasher::Environment env;
            FakeRunner runner;
            env.runner = &runner;
            env.adminScript = admin;
            env.mv = data / "mv";
            const auto result = ItemTrasher::trash({odd, own, same1, bad, same2}, std::nullopt, env);
            if (result.trashed != std::vector<std::string>{own, odd, same1, same2}) return "wrong trashed list";
            if (result.failures != std::vector<ItemTrasher::Failure>{{bad, "Couldn’t be moved, even with administrator rights."}})
                return "wrong failures";
            if (existsNoFollow(home + "/Trash/info/bad.txt.trashinfo")) return "failed item keeps its reservation";
            if (readFile(home + "/Trash/info/same 2.txt.trashinfo").find("Path=" + items.path() + "/locked/sub/same.txt\n") ==
                std::string::npos)
                return "restore information of the second same.txt";

            // Dismissed prompt: nothing queued moves, nothing stays reserved.
            env.adminScript = [](const std::string&, const std::string&) -> std::string {
                throw AdminScript::Failure::cancelled();
            };
            const auto cancelled = ItemTrasher::trash({again}, std::string("Custom prompt"), env);
            if (!cancelled.trashed.empty() || cancelled.failures.size() != 1 ||
                cancelled.failures[0].message != "The administrator password prompt was cancelled.")
                return "cancel not reported";
            if (existsNoFollow(home + "/Trash/info/again.txt.trashinfo")) return "cancelled item keeps its reservation";
            return {};
        },
        prompts);
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(prompts, (std::vector<std::string>{"Plenwick needs your password to move 4 items owned by the system to the Trash."}));
    EXPECT_EQ(readFile(home + "/Trash/files/it's a \\ \"name\"\nwith a feed.txt"), "odd");
    EXPECT_EQ(readFile(home + "/Trash/files/same 2.txt"), "2");
    struct stat st {};
    ASSERT_EQ(lstat((home + "/Trash/files/same.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobodyID);
    EXPECT_EQ(st.st_gid, nobodyID);
    EXPECT_TRUE(existsNoFollow(bad));
    EXPECT_TRUE(existsNoFollow(items / "locked/again.txt"));
}

TEST_F(ItemTrasherTest, TheAdministratorStepNeverCopiesAcrossFileSystems) {
    struct stat shm {}, tmp {};
    if (stat("/dev/shm", &shm) != 0 || stat(data.path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev)
        GTEST_SKIP() << "needs /dev/shm on its own file system";
    TempFolder other("/dev/shm");
    chmod(other.path().c_str(), 0755);
    writeFile(other / "far.bin", "far");
    const std::string home = data / "nobody";
    std::vector<std::string> prompts;
    const std::string outcome = asNobodyWithRoot(
        [&](const AdminScriptRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            ItemTrasher::Environment env;
            FakeRunner runner;
            env.runner = &runner;
            env.adminScript = admin;
            const auto result = ItemTrasher::trash({other / "far.bin"}, std::nullopt, env);
            if (result.failures.size() != 1 || result.failures[0].message != "Invalid cross-device link")
                return "expected a cross-device failure";
            return {};
        },
        prompts);
    EXPECT_EQ(outcome, "");
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(readFile(other / "far.bin"), "far");
    std::error_code ignored;
    std::filesystem::remove_all("/dev/shm/.Trash-65534", ignored);
}
