#include "FakeRunner.h"

#include "base/LongPaths.h"
#include "common/DeepTree.h"
#include "common/TestSupport.h"
#include "services/AdminMove.h"
#include "services/ItemTrasher.h"

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
    ItemTrasher::Environment environment(AdminProgramRunner admin) {
        ItemTrasher::Environment env;
        env.runner = &runner;
        env.adminMove = std::move(admin);
        env.adminMoveProgram = PLENWICK_ADMIN_MOVE_PROGRAM;
        return env;
    }
    TempFolder data;
    TempFolder items;
    FakeRunner runner;
};

void sendText(FILE* to, const std::string& text) {
    const std::uint64_t size = text.size();
    fwrite(&size, sizeof size, 1, to);
    fwrite(text.data(), 1, size, to);
    fflush(to);
}

bool receiveText(FILE* from, std::string& text) {
    std::uint64_t size = 0;
    if (fread(&size, sizeof size, 1, from) != 1) return false;
    text.resize(size);
    return fread(text.data(), 1, size, from) == size;
}

// Runs `check` as nobody; the administrator step it hands over runs here, as root,
// the way pkexec would run it (PKEXEC_UID naming nobody), and its outcome goes back
// through AdminScript as pkexec's would. `beforeStep` runs just before each step; the
// prompts and the arguments are collected in `steps`.
struct AdminStep {
    std::string prompt, program;
    std::vector<std::string> arguments;
};

// Hands pkexec's command to the parent and returns what running it there gave.
class RelayRunner : public ProgramRunner {
public:
    RelayRunner(FILE* out, FILE* in, const std::string& prompt) : out_(out), in_(in), prompt_(prompt) {}
    ProcessResult run(const std::string&, const std::vector<std::string>& command) override {
        sendText(out_, prompt_);
        std::string joined;
        for (const std::string& argument : command) joined += argument + '\0';
        sendText(out_, joined);
        ProcessResult result;
        std::string status;
        if (!receiveText(in_, status) || !receiveText(in_, result.output) || !receiveText(in_, result.error))
            return result;
        result.status = std::stoi(status);
        return result;
    }

private:
    FILE* out_;
    FILE* in_;
    std::string prompt_;
};

std::string asNobodyWithRoot(const std::function<std::string(const AdminProgramRunner&)>& check,
                             std::vector<AdminStep>& steps, const std::function<void()>& beforeStep = {}) {
    int toRoot[2], toChild[2];
    if (pipe(toRoot) != 0 || pipe(toChild) != 0) return "pipe failed";
    return asNobody(
        [&]() -> std::string {
            close(toRoot[0]);
            close(toChild[1]);
            FILE* out = fdopen(toRoot[1], "w");
            FILE* in = fdopen(toChild[0], "r");
            return check([&](const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& prompt) {
                RelayRunner relay(out, in, prompt);
                return AdminScript::runProgram(program, arguments, prompt, relay);
            });
        },
        [&] {
            close(toRoot[1]);
            close(toChild[0]);
            FILE* in = fdopen(toRoot[0], "r");
            FILE* out = fdopen(toChild[1], "w");
            AdminStep step;
            std::string joined;
            while (receiveText(in, step.prompt) && receiveText(in, joined)) {
                std::vector<std::string> command;
                for (std::size_t pos = 0, end; (end = joined.find('\0', pos)) != std::string::npos; pos = end + 1)
                    command.push_back(joined.substr(pos, end - pos));
                step.program = command.empty() ? std::string() : command.front();
                step.arguments.assign(command.begin() + (command.empty() ? 0 : 1), command.end());
                steps.push_back(step);
                if (beforeStep) beforeStep();
                setenv("PKEXEC_UID", std::to_string(nobodyID).c_str(), 1);
                const ProcessResult result = runProcess(step.program, step.arguments);
                unsetenv("PKEXEC_UID");
                sendText(out, std::to_string(result.status));
                sendText(out, result.output);
                sendText(out, result.error);
            }
            fclose(in);
            fclose(out);
        });
}

} // namespace

TEST_F(ItemTrasherTest, PlainMovesStopTheUsersUnitsAndFailVanishedItems) {
    const char* savedConfig = getenv("XDG_CONFIG_HOME");
    const std::string config = savedConfig ? savedConfig : "";
    setenv("XDG_CONFIG_HOME", (items / "cfg").c_str(), 1);
    std::filesystem::create_directories(items / "cfg/systemd/user");
    std::filesystem::create_directories(items / "cfg/autostart");
    std::filesystem::create_directories(items / "systemd/user");
    std::filesystem::create_directories(items / "systemd/system");
    const std::string unit = item("cfg/systemd/user/-odd name.service");
    // An alias of another unit moves, but is never stopped: that would stop the other.
    const std::string alias = items / "cfg/systemd/user/alias.service";
    symlink(unit.c_str(), alias.c_str());
    const std::string entry = item("cfg/autostart/com.x.desktop");
    const std::string lookalike = item("systemd/user/com.y.service");
    const std::string systemLike = item("systemd/system/com.x.daemon.service"); // writable: no administrator
    const std::string file = item("file.txt");
    symlink("/nonexistent", (items / "dangling").c_str());
    bool asked = false;
    const auto env = environment([&](const std::string&, const std::vector<std::string>&, const std::string&) {
        asked = true;
        return std::string();
    });
    // A unit that can't be stopped (systemctl fails) still moves.
    runner.answers.push_back({1, "", "Failed to connect to bus"});
    const auto result = ItemTrasher::trash(
        {alias, unit, items / "missing", entry, lookalike, systemLike, file, items / "dangling"}, std::nullopt, env);
    if (savedConfig) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(result.trashed,
              (std::vector<std::string>{alias, unit, entry, lookalike, systemLike, file, items / "dangling"}));
    // An item gone before its turn is a failure the user reads, not silence.
    EXPECT_EQ(result.failures, (std::vector<ItemTrasher::Failure>{{items / "missing", "No such file or directory"}}));
    EXPECT_FALSE(asked);
    // Only a unit of the user's own unit folder is stopped first, by its name after
    // "--"; a folder merely named like it is not one, and no system unit is stopped
    // without root.
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].path, "/bin/systemctl");
    EXPECT_EQ(runner.calls[0].arguments,
              (std::vector<std::string>{"--user", "disable", "--now", "--", "-odd name.service"}));
    EXPECT_TRUE(existsNoFollow(data / "root/Trash/files/-odd name.service"));
    EXPECT_TRUE(existsNoFollow(data / "root/Trash/info/dangling.trashinfo"));
    // The administrator step stops a system unit the same way, as root.
    EXPECT_EQ(systemUnitStopArguments("/etc/systemd/system/-odd name.service"),
              (std::vector<std::string>{"disable", "--now", "--", "-odd name.service"}));
}

TEST_F(ItemTrasherTest, OtherErrorsFailPlainlyWithTheirDescription) {
    // A Trash that cannot be made: a system unit in a writable folder is not queued.
    writeFile(data / "root", "not a folder");
    std::filesystem::create_directories(items / "systemd/system");
    const std::string daemon = item("systemd/system/d.service");
    const auto env = environment([](const std::string&, const std::vector<std::string>&, const std::string&) -> std::string { throw std::logic_error("asked"); });
    const auto result = ItemTrasher::trash({daemon}, std::nullopt, env);
    EXPECT_TRUE(result.trashed.empty());
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].message, "Not a directory");
    EXPECT_EQ(ItemTrasher::failureSummary(result.failures), "d.service: Not a directory");
}

TEST_F(ItemTrasherTest, TheTrashsOwnFoldersFailWithTheirReasonAndDeepItemsMove) {
    const auto env = environment([](const std::string&, const std::vector<std::string>&, const std::string&) -> std::string { throw std::logic_error("asked"); });
    ASSERT_EQ(ItemTrasher::trash({item("a.txt")}, std::nullopt, env).failures.size(), 0u);
    const std::string trash = data / "root/Trash";
    auto result = ItemTrasher::trash({trash + "/info", trash + "/files/a.txt"}, std::nullopt, env);
    EXPECT_TRUE(result.trashed.empty());
    EXPECT_EQ(ItemTrasher::failureSummary(result.failures),
              "info: It is part of the Trash.\na.txt: It is part of the Trash.");
    EXPECT_EQ(readFile(trash + "/files/a.txt"), "x");

    const std::string deep = makeDeepFile(items.path(), "deep.txt", "deep");
    result = ItemTrasher::trash({deep}, std::nullopt, env);
    EXPECT_EQ(result.trashed, std::vector<std::string>{deep});
    EXPECT_TRUE(result.failures.empty()) << result.failures[0].message;
    EXPECT_EQ(readFile(trash + "/files/deep.txt"), "deep");
    removeTreeBelow(items.path());
}

TEST(ItemTrasher, SummaryAndPrompts) {
    EXPECT_EQ(ItemTrasher::failureSummary({}), std::nullopt);
    EXPECT_EQ(ItemTrasher::failureSummary({{"/a/b.txt", "No"}, {"/c/d", "Gone"}}), "b.txt: No\nd: Gone");
    EXPECT_EQ(ItemTrasher::defaultPrompt({"/opt/x/Thing.AppImage"}),
              "Plenwick needs your password to move “Thing.AppImage” to the Trash.");
    EXPECT_EQ(ItemTrasher::defaultPrompt({"/a", "/b", "/c"}),
              "Plenwick needs your password to move 3 items owned by the system to the Trash.");
    EXPECT_TRUE(ItemTrasher::isPermissionError(std::error_code(EACCES, std::generic_category())));
    EXPECT_TRUE(ItemTrasher::isPermissionError(std::error_code(EPERM, std::generic_category())));
    EXPECT_FALSE(ItemTrasher::isPermissionError(std::error_code(EXDEV, std::generic_category())));
}

TEST_F(ItemTrasherTest, RefusedItemsGoThroughOneAdministratorStep) {
    mkdir((items / "locked").c_str(), 0755);
    const std::string odd = item("locked/it's a \\ \"name\"\nwith a feed.txt", "odd");
    const std::string same1 = item("locked/same.txt", "1");
    mkdir((items / "locked/sub").c_str(), 0755);
    const std::string same2 = item("locked/sub/same.txt", "2");
    const std::string gone = item("locked/gone.txt");
    const std::string own = item("own.txt");
    chmod(own.c_str(), 0666);
    chmod(items.path().c_str(), 0777);
    // Reached through a link: the step is handed the item's real folder.
    symlink((items / "locked/sub").c_str(), (items / "via").c_str());
    const std::string linked = item("locked/sub/linked.txt", "l");
    const std::string again = item("locked/again.txt");
    const std::string home = data / "nobody";
    std::vector<AdminStep> steps;

    const std::string outcome = asNobodyWithRoot(
        [&](const AdminProgramRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            auto env = environment(admin);
            const auto result =
                ItemTrasher::trash({odd, own, same1, gone, same2, items / "via/linked.txt"}, std::nullopt, env);
            if (result.trashed != std::vector<std::string>{own, odd, same1, same2, items / "via/linked.txt"})
                return "wrong trashed list";
            if (result.failures != std::vector<ItemTrasher::Failure>{{gone, "Couldn’t be moved, even with administrator rights."}})
                return "wrong failures";

            // Dismissed prompt: nothing queued moves.
            env.adminMove = [](const std::string&, const std::vector<std::string>&, const std::string&) -> std::string {
                throw AdminScript::Failure::cancelled();
            };
            const auto cancelled = ItemTrasher::trash({again}, std::string("Custom prompt"), env);
            if (!cancelled.trashed.empty() || cancelled.failures.size() != 1 ||
                cancelled.failures[0].message != "The administrator password prompt was cancelled.")
                return "cancel not reported";
            return {};
        },
        steps, [&] { std::filesystem::remove(gone); });
    EXPECT_EQ(outcome, "");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].prompt, "Plenwick needs your password to move 5 items owned by the system to the Trash.");
    EXPECT_EQ(steps[0].program, PLENWICK_ADMIN_MOVE_PROGRAM);
    EXPECT_EQ(steps[0].arguments, adminMoveArguments(home + "/Trash", {odd, same1, gone, same2, linked}));
    EXPECT_EQ(readFile(home + "/Trash/files/it's a \\ \"name\"\nwith a feed.txt"), "odd");
    EXPECT_EQ(readFile(home + "/Trash/files/same 2.txt"), "2");
    EXPECT_NE(readFile(home + "/Trash/info/same 2.txt.trashinfo").find("Path=" + items.path() + "/locked/sub/same.txt\n"),
              std::string::npos);
    struct stat st {};
    ASSERT_EQ(lstat((home + "/Trash/files/same.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobodyID);
    EXPECT_EQ(st.st_gid, nobodyID);
    EXPECT_FALSE(existsNoFollow(home + "/Trash/info/gone.txt.trashinfo"));
    EXPECT_TRUE(existsNoFollow(items / "locked/again.txt"));
}

TEST_F(ItemTrasherTest, TheAdministratorStepUsesTheTrashOfTheItemsOwnFileSystem) {
    if (!sharedMemoryIsSeparateFrom(data.path())) GTEST_SKIP() << "needs /dev/shm on its own file system";
    TempFolder other("/dev/shm");
    chmod(other.path().c_str(), 0755);
    writeFile(other / "far.bin", "far");
    const std::string home = data / "nobody";
    const std::string mountTrash = "/dev/shm/.Trash-" + std::to_string(nobodyID);
    std::vector<AdminStep> steps;
    const std::string outcome = asNobodyWithRoot(
        [&](const AdminProgramRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            const auto result = ItemTrasher::trash({other / "far.bin"}, std::nullopt, environment(admin));
            if (result.trashed != std::vector<std::string>{other / "far.bin"}) return "not moved";
            return {};
        },
        steps);
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_EQ(readFile(mountTrash + "/files/far.bin"), "far");
    EXPECT_FALSE(existsNoFollow(other / "far.bin"));
    std::error_code ignored;
    std::filesystem::remove_all(mountTrash, ignored);
}

// An item that reached the Trash but keeps a part the user cannot be given (an
// append-only file never changes owner) left its place: it counts as moved, and the
// user reads what stayed the administrator's.
TEST_F(ItemTrasherTest, AnItemPartlyLeftToTheAdministratorIsMovedAndSaysWhatStayed) {
    mkdir((items / "App").c_str(), 0755);
    const std::string log = item("App/log", "l");
    if (!setFileFlag(log, FS_APPEND_FL, true)) GTEST_SKIP() << "this file system keeps no append-only files";
    const std::string home = data / "nobody";
    std::vector<AdminStep> steps;
    ItemTrasher::Result result;
    const std::string outcome = asNobodyWithRoot(
        [&](const AdminProgramRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            result = ItemTrasher::trash({items / "App"}, std::nullopt, environment(admin));
            if (result.trashed != std::vector<std::string>{items / "App"}) return "not counted as moved";
            return ItemTrasher::failureSummary(result.failures).value_or("no word of it");
        },
        steps);
    setFileFlag(home + "/Trash/files/App/log", FS_APPEND_FL, false);
    EXPECT_EQ(outcome, "App: Moved to the Trash, but part of it still belongs to the administrator: Operation not permitted");
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_FALSE(existsNoFollow(items / "App"));
    EXPECT_EQ(readFile(home + "/Trash/files/App/log"), "l");
}

// A path longer than one argument may be fails alone; the others still move.
TEST_F(ItemTrasherTest, APathTooLongToPassFailsAloneAndTheRestMove) {
    mkdir((items / "locked").c_str(), 0755);
    const std::string shortOne = item("locked/short.txt", "s");
    const std::string longOne = makeDeepFile(items / "locked", "long.txt", "l", 250, 130 * 1024);
    ASSERT_GT(longOne.size(), 130u * 1024);
    const std::string home = data / "nobody";
    std::vector<AdminStep> steps;
    const std::string outcome = asNobodyWithRoot(
        [&](const AdminProgramRunner& admin) -> std::string {
            setenv("XDG_DATA_HOME", home.c_str(), 1);
            const auto result = ItemTrasher::trash({longOne, shortOne}, std::nullopt, environment(admin));
            std::string wrong;
            if (result.trashed != std::vector<std::string>{shortOne}) wrong += "the short one did not move; ";
            if (result.failures != std::vector<ItemTrasher::Failure>{{longOne, ItemTrasher::pathTooLongMessage}})
                wrong += "failures: " + ItemTrasher::failureSummary(result.failures).value_or("none");
            return wrong;
        },
        steps);
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_EQ(readFile(home + "/Trash/files/short.txt"), "s");
    struct stat st {};
    EXPECT_EQ(lstatAnyLength(longOne, st), 0) << "the long one stays";
    EXPECT_EQ(std::string(ItemTrasher::pathTooLongMessage), "Its path is too long to hand to the administrator.");
    removeTreeBelow(items.path());
}
