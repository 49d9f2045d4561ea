#include "startup/StartupChanges.h"

#include "startup/AutostartEntries.h"

#include "services/AdminMove.h"

#include "StartupTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

std::optional<DesktopEntry> entryAt(const std::string& path) { return parseDesktopEntry(readFile(path)); }

} // namespace

TEST(StartupChanges, CommandLinesAreArgumentVectors) {
    const std::string odd = "it's a \"unit\"; rm -rf ~.service";
    EXPECT_EQ(toggleCommand(ServiceScope::system, odd, false),
              (CommandLine{"/bin/systemctl", {"disable", "--now", "--", odd}}));
    EXPECT_EQ(toggleCommand(ServiceScope::user, "a.service", true),
              (CommandLine{"/bin/systemctl", {"--user", "enable", "--now", "--", "a.service"}}));
    EXPECT_EQ(disableCommand(ServiceScope::user, "a.service"), toggleCommand(ServiceScope::user, "a.service", false));
    // Deleting goes through the administrator's own program, never a tool that follows links.
    EXPECT_EQ(removeFileCommand("/etc/xdg/autostart/-x $(y).desktop"),
              (CommandLine{adminMoveProgramPath(), {"--remove", "/etc/xdg/autostart/-x $(y).desktop"}}));
}

TEST(StartupChanges, SystemWideEntryHiddenForTheUserAndBack) {
    TempFolder dir;
    const std::string user = dir / "config/autostart"; // not there yet
    ASSERT_EQ(hideAutostartEntry(user, "tracker.desktop"), std::nullopt);
    const std::string override = user + "/tracker.desktop";
    const auto entry = entryAt(override);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->hidden);
    EXPECT_TRUE(isAutostartOverride(*entry));
    struct stat st {};
    ASSERT_EQ(stat(override.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(hideAutostartEntry(user, "tracker.desktop"), std::nullopt) << "already hidden";
    EXPECT_EQ(std::filesystem::directory_iterator(user)->path().filename(), "tracker.desktop") << "no temporary left";

    ASSERT_EQ(unhideAutostartEntry(user, "tracker.desktop"), std::nullopt);
    EXPECT_FALSE(existsNoFollow(override));
    EXPECT_EQ(unhideAutostartEntry(user, "tracker.desktop"), std::nullopt) << "nothing to remove";
}

TEST(StartupChanges, TheUsersOwnEntryTurnsOffAndOnInItsOwnFile) {
    TempFolder dir;
    const std::string path = dir / "autostart/chat.desktop";
    const std::string original = "# Written by Chat\n[Desktop Entry]\r\nType=Application\nName=Chat\nExec=chat --tray\n"
                                 "X-GNOME-Autostart-enabled = false\n\n[Desktop Action quit]\nHidden=true\nName=Quit\n";
    writeAt(path, original);
    chmod(path.c_str(), 0600);
    ASSERT_EQ(setAutostartEntryEnabled(path, true), std::nullopt);
    const std::string on = "# Written by Chat\n[Desktop Entry]\r\nType=Application\nName=Chat\nExec=chat --tray\n"
                           "\n[Desktop Action quit]\nHidden=true\nName=Quit\n";
    EXPECT_EQ(readFile(path), on) << "only the group's own keys change";
    EXPECT_FALSE(entryAt(path)->hidden);
    EXPECT_EQ(entryAt(path)->gnomeAutostartEnabled, std::nullopt);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "its mode kept";

    ASSERT_EQ(setAutostartEntryEnabled(path, false), std::nullopt);
    EXPECT_EQ(readFile(path), "# Written by Chat\n[Desktop Entry]\r\nHidden=true\nType=Application\nName=Chat\n"
                              "Exec=chat --tray\n\n[Desktop Action quit]\nHidden=true\nName=Quit\n");
    EXPECT_TRUE(entryAt(path)->hidden);
    EXPECT_EQ(setAutostartEntryEnabled(path, false), std::nullopt) << "off already";
    ASSERT_EQ(setAutostartEntryEnabled(path, true), std::nullopt);
    EXPECT_EQ(readFile(path), on);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "autostart"), {}), 1) << "no temporary left";

    // What is no entry is left as it is, with a reason.
    writeAt(dir / "autostart/odd.desktop", "Name=odd\n");
    const auto failure = setAutostartEntryEnabled(dir / "autostart/odd.desktop", false);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("“odd.desktop”"), std::string::npos) << *failure;
    EXPECT_EQ(readFile(dir / "autostart/odd.desktop"), "Name=odd\n");
    EXPECT_TRUE(setAutostartEntryEnabled(dir / "autostart/gone.desktop", true));
}

TEST(StartupChanges, ALinkedEntryIsALinkAgainOnceTurnedOffAndOn) {
    TempFolder dir;
    const std::string entry = dir / "autostart/mail.desktop";
    writeAt(dir / "apps/mail.desktop", entryText("Mail", "mail"));
    std::filesystem::create_directories(dir / "autostart");
    ASSERT_EQ(symlink("../apps/mail.desktop", entry.c_str()), 0);
    // Off: a copy of its own that says so and notes the link; the target untouched.
    ASSERT_EQ(setAutostartEntryEnabled(entry, false), std::nullopt);
    EXPECT_FALSE(std::filesystem::is_symlink(entry));
    EXPECT_TRUE(entryAt(entry)->hidden);
    EXPECT_EQ(autostartLinkNoted(readFile(entry)), "../apps/mail.desktop");
    EXPECT_EQ(readFile(dir / "apps/mail.desktop"), entryText("Mail", "mail"));
    // On: the link again, pointing where it did, following its target as before.
    ASSERT_EQ(setAutostartEntryEnabled(entry, true), std::nullopt);
    ASSERT_TRUE(std::filesystem::is_symlink(entry));
    EXPECT_EQ(std::filesystem::read_symlink(entry), "../apps/mail.desktop");
    EXPECT_EQ(readFile(dir / "apps/mail.desktop"), entryText("Mail", "mail"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "autostart"), {}), 1) << "no temporary left";
    // A link already on stays as it is; one whose target turns itself off becomes a copy, turned on.
    EXPECT_EQ(setAutostartEntryEnabled(entry, true), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_symlink(entry));
    writeAt(dir / "apps/mail.desktop", entryText("Mail", "mail", "Hidden=true\n"));
    ASSERT_EQ(setAutostartEntryEnabled(entry, true), std::nullopt);
    EXPECT_FALSE(std::filesystem::is_symlink(entry));
    EXPECT_FALSE(entryAt(entry)->hidden);
    EXPECT_EQ(autostartLinkNoted(readFile(entry)), std::nullopt);
}

TEST(StartupChanges, AnEntryOfSeveralNamesOrChangedMeanwhileIsLeftAsItIs) {
    TempFolder dir;
    const std::string entry = dir / "autostart/chat.desktop", other = dir / "apps/chat.desktop";
    writeAt(other, entryText("Chat", "chat"));
    std::filesystem::create_directories(dir / "autostart");
    ASSERT_EQ(link(other.c_str(), entry.c_str()), 0);
    auto failure = setAutostartEntryEnabled(entry, false);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("hard links"), std::string::npos) << *failure;
    EXPECT_EQ(readFile(other), entryText("Chat", "chat"));
    EXPECT_EQ(std::filesystem::hard_link_count(entry), 2u);

    // Another program writes between the read and the write: its text stays.
    std::filesystem::remove(entry);
    writeAt(entry, entryText("Chat", "chat"));
    const std::string theirs = entryText("Chat", "chat --their-change");
    failure = setAutostartEntryEnabled(entry, false, [&] { writeFile(entry, theirs); });
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("another program changed it"), std::string::npos) << *failure;
    EXPECT_EQ(readFile(entry), theirs);
    // Or replaces the file in one step, as editors do.
    failure = setAutostartEntryEnabled(entry, false, [&] {
        writeFile(dir / "autostart/new", theirs);
        std::filesystem::rename(dir / "autostart/new", entry);
    });
    ASSERT_TRUE(failure);
    EXPECT_EQ(readFile(entry), theirs);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "autostart"), {}), 1) << "no temporary left";
}

// Killed at any moment of its rewrite, the program leaves the entry whole, old or
// new, and no temporary of its own for good.
TEST(StartupChanges, AKillDuringTheRewriteLeavesNoTemporary) {
    TempFolder dir;
    const std::string entry = dir / "autostart/chat.desktop";
    writeAt(entry, entryText("Chat", "chat --tray", "X-Padding=" + std::string(200'000, 'p') + "\n"));
    for (int kill = 0; kill < 150; ++kill) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (bool on = false;; on = !on) (void)setAutostartEntryEnabled(entry, on);
        }
        ASSERT_GT(pid, 0);
        usleep(static_cast<useconds_t>(200 + (kill * 137) % 3000));
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const auto whole = entryAt(entry);
        ASSERT_TRUE(whole) << "torn after kill " << kill;
        ASSERT_EQ(whole->exec, "chat --tray");
    }
    // The next change of the folder takes away what a killed one may have left.
    ASSERT_EQ(setAutostartEntryEnabled(entry, true), std::nullopt);
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(dir / "autostart")) names.push_back(item.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"chat.desktop"});
}

TEST(StartupChanges, AHiddenCopyOfASystemWideEntryIsTurnedOnNotDeleted) {
    TempFolder dir;
    const std::string user = dir / "autostart";
    // As another tool writes it: the whole entry, changed, with Hidden=true.
    writeAt(user + "/tracker.desktop", entryText("Tracker", "tracker --mine", "Hidden=true\n"));
    ASSERT_EQ(unhideAutostartEntry(user, "tracker.desktop"), std::nullopt);
    EXPECT_EQ(readFile(user + "/tracker.desktop"), entryText("Tracker", "tracker --mine"));
}

TEST(StartupChanges, TheUsersOwnEntryIsNeverReplacedNorRemovedAsAnOverride) {
    TempFolder dir;
    const std::string user = dir / "autostart";
    writeAt(user + "/mine.desktop", entryText("Mine", "mine"));
    const auto failure = hideAutostartEntry(user, "mine.desktop");
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("“mine.desktop”"), std::string::npos) << *failure;
    EXPECT_EQ(entryAt(user + "/mine.desktop")->name, "Mine");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user), {}), 1) << "no temporary left";
    EXPECT_EQ(unhideAutostartEntry(user, "mine.desktop"), std::nullopt);
    EXPECT_TRUE(existsNoFollow(user + "/mine.desktop"));

    // A folder the user can't write: the failure says so.
    chmod(user.c_str(), 0555);
    EXPECT_EQ(asNobody([&]() -> std::string {
                  return hideAutostartEntry(user, "other.desktop") ? "" : "wrote into a read-only folder";
              }),
              "");
    chmod(user.c_str(), 0755);
}

TEST(StartupChanges, DeletingADefinitionTakesTheLinkNotItsTarget) {
    TempFolder dir;
    writeAt(dir / "target.desktop", entryText("T", "t"));
    symlink((dir / "target.desktop").c_str(), (dir / "link.desktop").c_str());
    EXPECT_EQ(deleteDefinition(dir / "link.desktop"), std::nullopt);
    EXPECT_FALSE(existsNoFollow(dir / "link.desktop"));
    EXPECT_TRUE(existsNoFollow(dir / "target.desktop"));
    EXPECT_EQ(deleteDefinition(dir / "link.desktop"), std::nullopt) << "gone already";
    std::filesystem::create_directories(dir / "folder.desktop");
    EXPECT_TRUE(deleteDefinition(dir / "folder.desktop")) << "never a folder";
}
