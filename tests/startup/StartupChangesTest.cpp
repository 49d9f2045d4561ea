#include "startup/StartupChanges.h"

#include "startup/AutostartEntries.h"

#include "StartupTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    EXPECT_EQ(removeFileCommand("/etc/xdg/autostart/-x $(y).desktop"),
              (CommandLine{"/bin/rm", {"--", "/etc/xdg/autostart/-x $(y).desktop"}}));
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

    // An entry linked in from elsewhere becomes the user's own file; the target stays.
    writeAt(dir / "apps/mail.desktop", entryText("Mail", "mail"));
    symlink((dir / "apps/mail.desktop").c_str(), (dir / "autostart/mail.desktop").c_str());
    ASSERT_EQ(setAutostartEntryEnabled(dir / "autostart/mail.desktop", false), std::nullopt);
    EXPECT_TRUE(entryAt(dir / "autostart/mail.desktop")->hidden);
    EXPECT_EQ(readFile(dir / "apps/mail.desktop"), entryText("Mail", "mail"));

    // What is no entry is left as it is, with a reason.
    writeAt(dir / "autostart/odd.desktop", "Name=odd\n");
    const auto failure = setAutostartEntryEnabled(dir / "autostart/odd.desktop", false);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("“odd.desktop”"), std::string::npos) << *failure;
    EXPECT_EQ(readFile(dir / "autostart/odd.desktop"), "Name=odd\n");
    EXPECT_TRUE(setAutostartEntryEnabled(dir / "autostart/gone.desktop", true));
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
