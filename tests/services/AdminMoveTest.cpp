// The administrator step's program as pkexec runs it: as root, for the user nobody.

#include "services/AdminMove.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

constexpr const char* nobodyText = "65534";

// A home Trash of nobody's and a root-owned folder of items.
class AdminMoveProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(base.path().c_str(), 0755);
        for (const char* folder : {"Trash", "Trash/files", "Trash/info"}) {
            mkdir((base / folder).c_str(), 0700);
            chown((base / folder).c_str(), nobodyID, nobodyID);
        }
        mkdir((base / "system").c_str(), 0755);
    }
    std::string trash() const { return base / "Trash"; }
    TempFolder base;
};

std::string deletionDateIn(const std::string& info) {
    const std::string key = "\nDeletionDate=";
    const std::size_t at = info.find(key);
    return at == std::string::npos ? std::string() : info.substr(at + key.size(), 19);
}

} // namespace

TEST_F(AdminMoveProgramTest, OnlyARealRootUserWithPkexecsUserMovesAnything) {
    writeFile(base / "system/item", "i");
    const std::vector<std::string> arguments{trash(), base / "system/item"};
    // As through a setuid bit: root's rights, another real user.
    const std::string outcome = inChild([&]() -> std::string {
        if (setresuid(nobodyID, 0, 0) != 0) return "could not change the real user";
        std::string output, errors;
        const int status = runAdminMove(arguments, nobodyText, output, errors);
        if (status != 1 || !output.empty() || errors != "The administrator step must be started by pkexec.\n")
            return "not refused: " + std::to_string(status) + " " + errors;
        return "";
    });
    EXPECT_EQ(outcome, "");
    EXPECT_TRUE(existsNoFollow(base / "system/item"));
    std::string output, errors;
    EXPECT_EQ(runAdminMove(arguments, nullptr, output, errors), 1);
    // A sudo rule that keeps PKEXEC_UID: only the user who ran sudo is served.
    EXPECT_EQ(runAdminMove(arguments, nobodyText, output, errors, "1000"), 1);
    EXPECT_TRUE(existsNoFollow(base / "system/item"));
    EXPECT_EQ(errors, "The administrator step must be started by pkexec.\n"
                      "The administrator step must be started by pkexec.\n");
    EXPECT_EQ(runAdminMove(arguments, nobodyText, output, errors, nobodyText), 0);
    EXPECT_EQ(readFile(base / "Trash/files/item"), "i");
}

TEST_F(AdminMoveProgramTest, TheDeletionDateIsWrittenInTheUsersTimeZone) {
    for (const char* name : {"a", "b"}) writeFile(base / (std::string("system/") + name), name);
    const std::string outcome = inChild([&]() -> std::string {
        // A zone far from the machine's (UTC here), 5:45 ahead; given before the paths.
        const std::time_t before = std::time(nullptr);
        std::string output, errors;
        const auto arguments = adminMoveArguments(trash(), {base / "system/a"}, "NPT-5:45");
        if (runAdminMove(arguments, nobodyText, output, errors) != 0 || !output.empty()) return "a not moved: " + errors;
        const std::time_t after = std::time(nullptr);
        const std::string written = deletionDateIn(readFile(base / "Trash/info/a.trashinfo"));
        bool matches = false;
        for (std::time_t t = before; t <= after; ++t) {
            const std::time_t shifted = t + 5 * 3600 + 45 * 60;
            std::tm tm {};
            gmtime_r(&shifted, &tm);
            char date[32];
            std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &tm);
            matches = matches || written == date;
        }
        if (!matches) return "written " + written;
        // A zone that names a file of its own choosing is not used; options of a later
        // caller are passed over.
        errors.clear();
        if (runAdminMove({"--time-zone=/dev/zero", "--later=x", trash(), base / "system/b"}, nobodyText, output,
                         errors) != 0 ||
            !existsNoFollow(base / "Trash/files/b"))
            return "b not moved: " + errors;
        if (errors != "Ignored the time zone /dev/zero.\nIgnored the option --later=x.\n") return "told " + errors;
        return "";
    });
    EXPECT_EQ(outcome, "");
}

TEST(AdminMoveTimeZone, TheCallerPassesOnlyZonesSafeForRoot) {
    for (const char* zone : {"Europe/Berlin", "UTC", "NPT-5:45", ":America/New_York", "<+0545>-5:45", "EST5EDT,M3.2.0,M11.1.0"})
        EXPECT_TRUE(isSafeTimeZone(zone)) << zone;
    for (const char* zone : {"", "/etc/shadow", ":/dev/zero", "../../../../dev/zero", "Europe/../../x", "a b", "x;y", ":"})
        EXPECT_FALSE(isSafeTimeZone(zone)) << zone;
    const std::string outcome = inChild([]() -> std::string {
        setenv("TZ", "Asia/Kathmandu", 1);
        if (userTimeZone() != "Asia/Kathmandu") return "TZ not passed";
        // Without a usable TZ, the zone the system is set to.
        unsetenv("TZ");
        const std::string system = userTimeZone();
        setenv("TZ", "/dev/zero", 1);
        if (userTimeZone() != system) return "an unsafe TZ was passed";
        return isSafeTimeZone(system) || system.empty() ? "" : "system zone " + system;
    });
    EXPECT_EQ(outcome, "");
}

// An item that left its place but keeps a part the user cannot have (an immutable or
// append-only file never changes owner) is reported moved, with the reason.
TEST_F(AdminMoveProgramTest, AnItemNotWhollyGivenToTheUserIsReportedMovedWithItsReason) {
    for (const int flag : {FS_IMMUTABLE_FL, FS_APPEND_FL}) {
        const std::string name = flag == FS_APPEND_FL ? "Appended" : "Immutable";
        mkdir((base / ("system/" + name)).c_str(), 0755);
        writeFile(base / ("system/" + name + "/stuck"), "s");
        if (!setFileFlag(base / ("system/" + name + "/stuck"), flag, true)) GTEST_SKIP() << "no inode flags here";
        std::string output, errors;
        EXPECT_EQ(runAdminMove({trash(), base / "system/missing", base / ("system/" + name)}, nobodyText, output, errors), 0);
        setFileFlag(base / ("Trash/files/" + name + "/stuck"), flag, false);
        EXPECT_FALSE(existsNoFollow(base / ("system/" + name)));
        EXPECT_EQ(output, "FAIL:0\nPART:1:Operation not permitted\n");
        EXPECT_EQ(errors, base / "system/missing: No such file or directory\n" + base / ("system/" + name) +
                              ": moved to the Trash, but not all of it could be given to the user: Operation not permitted\n");
    }
}

TEST_F(AdminMoveProgramTest, ResultsThatCannotBeWrittenFailTheWholeRun) {
    int errorPipe[2];
    ASSERT_EQ(pipe(errorPipe), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errorPipe[0]);
    std::string program = PLENWICK_ADMIN_MOVE_PROGRAM, home = trash(), missing = base / "system/missing";
    std::string uid = std::string("PKEXEC_UID=") + nobodyText;
    char* argv[] = {program.data(), home.data(), missing.data(), nullptr};
    char* envp[] = {uid.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(errorPipe[1]);
    std::string errors;
    char buffer[512];
    for (ssize_t n; (n = read(errorPipe[0], buffer, sizeof buffer)) > 0;) errors.append(buffer, static_cast<std::size_t>(n));
    close(errorPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(errors.find("The results could not be written.\n"), std::string::npos) << errors;
}

// The startup window's removal of a system-wide file: through descriptors, never
// through a link, never below a folder that isn't root's alone. Run in a mount
// namespace of its own over a /tmp that is root's alone.
TEST(AdminRemove, DeletesOnlyWhatRootAloneCouldHaveNamed) {
    const std::string outcome = inChild([]() -> std::string {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", "/tmp", "tmpfs", 0, "size=4m,mode=0755") != 0)
            return "no private /tmp";
        for (const char* folder : {"/tmp/etc", "/tmp/etc/xdg", "/tmp/etc/xdg/autostart", "/tmp/victim", "/tmp/shared",
                                   "/tmp/shared/autostart", "/tmp/open", "/tmp/open/autostart", "/tmp/etc/xdg/autostart/sub"})
            mkdir(folder, 0755);
        chown("/tmp/shared", nobodyID, nobodyID);
        chmod("/tmp/open", 0775);
        for (const char* file : {"/tmp/etc/xdg/autostart/a.desktop", "/tmp/victim/v.desktop", "/tmp/victim/w.desktop",
                                 "/tmp/shared/autostart/b.desktop", "/tmp/open/autostart/c.desktop"})
            writeFile(file, "[Desktop Entry]\n");
        // Another user swapped a folder on the way for a link to where root would delete.
        symlink("/tmp/victim", "/tmp/etc/xdg/swapped");
        symlink("/tmp/victim/w.desktop", "/tmp/etc/xdg/autostart/l.desktop");

        const auto run = [](const std::string& path, std::string& errors) {
            std::string output;
            errors.clear();
            const int status = runAdminMove(adminRemoveArguments(path), nobodyText, output, errors);
            return std::to_string(status) + " " + output;
        };
        std::string errors, wrong;
        const auto expect = [&](const std::string& path, const std::string& outcome, const std::string& said) {
            const std::string got = run(path, errors);
            if (got != outcome || errors != said) wrong += path + ": " + got + " " + errors + "; ";
        };
        expect("/tmp/etc/xdg/autostart/a.desktop", "0 ", "");
        expect("/tmp/etc/xdg/autostart/a.desktop", "0 ", ""); // gone already
        expect("/tmp/etc/xdg/swapped/v.desktop", "1 FAIL:0\n", "Couldn’t delete “v.desktop”: a folder on its way is a link.\n");
        expect("/tmp/shared/autostart/b.desktop", "1 FAIL:0\n",
               "Couldn’t delete “b.desktop”: the folder “/tmp/shared” isn’t the administrator’s alone.\n");
        expect("/tmp/open/autostart/c.desktop", "1 FAIL:0\n",
               "Couldn’t delete “c.desktop”: the folder “/tmp/open” isn’t the administrator’s alone.\n");
        expect("/tmp/etc/xdg/autostart/sub", "1 FAIL:0\n", "Couldn’t delete “sub”: Is a directory\n");
        expect("/tmp/etc/xdg/autostart/../autostart/x.desktop", "1 FAIL:0\n",
               "Couldn’t delete “x.desktop”: Invalid argument\n");
        // A link is deleted itself, never what it points to.
        expect("/tmp/etc/xdg/autostart/l.desktop", "0 ", "");
        for (const char* kept : {"/tmp/victim/v.desktop", "/tmp/victim/w.desktop", "/tmp/shared/autostart/b.desktop",
                                 "/tmp/open/autostart/c.desktop", "/tmp/etc/xdg/autostart/sub"})
            if (!existsNoFollow(kept)) wrong += std::string(kept) + " deleted; ";
        for (const char* gone : {"/tmp/etc/xdg/autostart/a.desktop", "/tmp/etc/xdg/autostart/l.desktop"})
            if (existsNoFollow(gone)) wrong += std::string(gone) + " kept; ";
        return wrong;
    });
    EXPECT_EQ(outcome, "");
}
