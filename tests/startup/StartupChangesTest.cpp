#include "startup/StartupChanges.h"

#include "startup/AutostartEntries.h"

#include "StartupTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

std::optional<DesktopEntry> entryAt(const std::string& path) { return parseDesktopEntry(readFile(path)); }

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

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
    EXPECT_FALSE(exists(override));
    EXPECT_EQ(unhideAutostartEntry(user, "tracker.desktop"), std::nullopt) << "nothing to remove";
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
    EXPECT_TRUE(exists(user + "/mine.desktop"));

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
    EXPECT_FALSE(exists(dir / "link.desktop"));
    EXPECT_TRUE(exists(dir / "target.desktop"));
    EXPECT_EQ(deleteDefinition(dir / "link.desktop"), std::nullopt) << "gone already";
    std::filesystem::create_directories(dir / "folder.desktop");
    EXPECT_TRUE(deleteDefinition(dir / "folder.desktop")) << "never a folder";
}
