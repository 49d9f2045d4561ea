#include "services/AppBundleInfo.h"
#include "services/AppImage.h"
#include "services/LinuxApps.h"

#include "common/AppImageFixture.h"
#include "common/ResourceLimits.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

using IDs = std::vector<std::string>;

// A home of its own: HOME, XDG_DATA_HOME and XDG_DATA_DIRS point into a temporary
// folder for the test's length.
class LinuxAppsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        home = dir.path() + "/home";
        std::filesystem::create_directories(home + "/.local/share/applications");
        std::filesystem::create_directories(home + "/Applications");
        std::filesystem::create_directories(dir.path() + "/share/applications");
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        setenv("XDG_DATA_DIRS", (dir.path() + "/share").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    std::string applications(const std::string& name) const { return home + "/.local/share/applications/" + name; }

    TempFolder dir;
    std::string home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

std::string entry(const std::string& name, const std::string& exec, const std::string& more = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + more;
}

} // namespace

TEST_F(LinuxAppsTest, AnAppImageIsItsOwnEntryWithTheHomeEntriesThatRunIt) {
    const std::string path = home + "/Applications/Foo-1.2-x86_64.AppImage";
    writeFile(path, appImage({ImageNode::file("org.example.Foo.desktop",
                                              entry("Foo Viewer", "foo --open %F",
                                                    "X-AppImage-Version=1.2\nStartupWMClass=FooWindow\n")),
                              ImageNode::file("org.example.FooSettings.desktop", entry("Foo Settings", "foo --settings")),
                              ImageNode::file("AppRun", "#!/bin/sh\n")}));
    std::filesystem::create_directories(applications("sub"));
    writeFile(applications("sub/appimagekit_1f-Foo.desktop"), entry("Foo", "env A=1 \"" + path + "\" %U"));
    writeFile(applications("unrelated.desktop"), entry("Bar", "/opt/bar"));
    writeFile(applications("broken.desktop"), "not an entry");

    const auto app = AppBundleInfo::read(path);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->url, path);
    EXPECT_EQ(app->bundleID, "org.example.Foo");
    EXPECT_EQ(app->name, "Foo Viewer");
    EXPECT_EQ(app->executableName, "foo");
    EXPECT_EQ(app->version, "1.2");
    // The image's other entry is no identifier of the app: only its own entry is.
    EXPECT_EQ(app->relatedBundleIDs, (IDs{"FooWindow", "sub-appimagekit_1f-Foo"}));
    EXPECT_EQ(app->managedBy, AppManager::user);
    EXPECT_FALSE(isSystemApp(*app));

    // The home entry stands for the AppImage it runs, itself among the related IDs.
    const auto viaEntry = AppBundleInfo::read(applications("sub/appimagekit_1f-Foo.desktop"));
    ASSERT_TRUE(viaEntry);
    EXPECT_EQ(*viaEntry, *app);

    // An image without an application entry is no app.
    writeFile(home + "/Applications/Tool.AppImage", appImage({ImageNode::file("tool.desktop", "[Desktop Entry]\nType=Link\nName=T\n")}));
    EXPECT_FALSE(AppBundleInfo::read(home + "/Applications/Tool.AppImage"));
}

TEST_F(LinuxAppsTest, AnAppFolderIsTheEntryWhoseProgramLiesInsideIt) {
    const std::string folder = home + "/Applications/Foo";
    std::filesystem::create_directories(folder + "/bin");
    writeFile(folder + "/bin/foo", "#!/bin/sh\n");
    writeFile(folder + "/a-help.desktop", entry("Foo Help", "/usr/bin/xdg-open help.html"));
    writeFile(folder + "/foo.desktop", entry("Foo", "\"" + folder + "/bin/foo\" %f", "StartupWMClass=foo\n"));
    writeFile(folder + "/link.desktop", "[Desktop Entry]\nType=Link\nName=Site\n");
    writeFile(applications("foo-menu.desktop"), entry("Foo", folder + "/bin/foo"));

    const auto app = AppBundleInfo::read(folder + "/");
    ASSERT_TRUE(app);
    EXPECT_EQ(app->url, folder);
    EXPECT_EQ(app->bundleID, "foo");
    EXPECT_EQ(app->name, "Foo");
    EXPECT_EQ(app->executableName, "foo");
    EXPECT_EQ(app->version, std::nullopt);
    EXPECT_EQ(app->relatedBundleIDs, IDs{"foo-menu"});
    EXPECT_EQ(appContaining(folder + "/bin/foo"), folder);
    EXPECT_TRUE(mayBeApp(folder));

    // A bare program name counts when the folder holds it.
    const std::string tarball = dir.path() + "/opt/Baz";
    std::filesystem::create_directories(tarball);
    writeFile(tarball + "/baz", "");
    writeFile(tarball + "/baz.desktop", entry("Baz", "baz"));
    ASSERT_TRUE(AppBundleInfo::read(tarball));
    EXPECT_EQ(AppBundleInfo::read(tarball)->bundleID, "baz");

    // A folder whose entry runs a program elsewhere, or without any entry, is no app.
    const std::string other = dir.path() + "/Other";
    std::filesystem::create_directories(other);
    writeFile(other + "/other.desktop", entry("Other", "/opt/elsewhere/other"));
    EXPECT_FALSE(AppBundleInfo::read(other));
    EXPECT_FALSE(AppBundleInfo::read(dir.path() + "/share"));
    EXPECT_FALSE(mayBeApp(dir.path() + "/share"));
    EXPECT_EQ(appContaining(other + "/other.desktop"), std::nullopt);
}

TEST_F(LinuxAppsTest, ADesktopEntryIsAnAppOfItsOwnUnlessItRunsOneUnderTheHome) {
    writeFile(home + "/bin-tool", "#!/bin/sh\n");
    writeFile(applications("kde/org.example.Tool.desktop"), "");
    std::filesystem::create_directories(applications("kde"));
    writeFile(applications("kde/org.example.Tool.desktop"),
              entry("Tool", home + "/bin-tool %u", "StartupWMClass=ToolMain\nX-AppImage-Version=3\n"));
    const auto app = AppBundleInfo::read(applications("kde/org.example.Tool.desktop"));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->url, applications("kde/org.example.Tool.desktop"));
    EXPECT_EQ(app->bundleID, "kde-org.example.Tool");
    EXPECT_EQ(app->executableName, "bin-tool");
    EXPECT_EQ(app->version, "3");
    EXPECT_EQ(app->relatedBundleIDs, IDs{"ToolMain"});
    EXPECT_FALSE(isSystemApp(*app));

    // Trashed under another name (the Trash had one of that name), it keeps its ID.
    const std::string trash = home + "/.local/share/Trash";
    std::filesystem::create_directories(trash + "/files");
    std::filesystem::create_directories(trash + "/info");
    writeFile(trash + "/info/org.example.Tool.2.desktop.trashinfo",
              "[Trash Info]\nPath=" + applications("kde/org.example.Tool.desktop") +
                  "\nDeletionDate=2026-12-11T08:00:00\n");
    std::filesystem::copy_file(applications("kde/org.example.Tool.desktop"), trash + "/files/org.example.Tool.2.desktop");
    const auto trashed = AppBundleInfo::read(trash + "/files/org.example.Tool.2.desktop");
    ASSERT_TRUE(trashed);
    EXPECT_EQ(trashed->bundleID, "kde-org.example.Tool");
    EXPECT_EQ(trashed->url, trash + "/files/org.example.Tool.2.desktop");

    // An entry whose AppImage is gone is its own app; a blank name gives the file's.
    writeFile(applications("gone.desktop"), entry(" ", home + "/Applications/Gone.AppImage"));
    ASSERT_TRUE(AppBundleInfo::read(applications("gone.desktop")));
    EXPECT_EQ(AppBundleInfo::read(applications("gone.desktop"))->name, "gone");
    EXPECT_EQ(AppBundleInfo::read(applications("gone.desktop"))->url, applications("gone.desktop"));

    // What is no application entry, or isn't reached directly, is no app.
    writeFile(applications("link.desktop"), "[Desktop Entry]\nType=Link\nName=L\nURL=x\n");
    EXPECT_FALSE(AppBundleInfo::read(applications("link.desktop")));
    ASSERT_EQ(symlink(applications("gone.desktop").c_str(), applications("alias.desktop").c_str()), 0);
    EXPECT_FALSE(AppBundleInfo::read(applications("alias.desktop")));
    EXPECT_FALSE(mayBeApp(applications("alias.desktop")));
    ASSERT_EQ(mkfifo(applications("fifo.desktop").c_str(), 0600), 0);
    EXPECT_FALSE(AppBundleInfo::read(applications("fifo.desktop")));
    EXPECT_TRUE(mayBeApp(applications("gone.desktop")));
}

TEST_F(LinuxAppsTest, NothingInsideADownloadButItsOwnEntryNamesTheApp) {
    // The probe's image: empty entries named after what every desktop keeps, and a
    // window class that is no one name.
    std::vector<ImageNode> top{ImageNode::file("org.example.Handy.desktop",
                                               entry("Handy Tool", "handy", "StartupWMClass=handy main;ssh\n"))};
    for (const char* name : {"ssh", "dconf", "keyrings", "gnome-shell", "evolution", "dbus-org.freedesktop.timesync1",
                             "at-spi-dbus-bus", "mimeapps.list", "user-dirs.dirs"})
        top.push_back(ImageNode::file(std::string(name) + ".desktop", ""));
    std::filesystem::create_directories(home + "/Downloads");
    const std::string image = home + "/Downloads/Handy.AppImage";
    writeFile(image, appImage(top));
    const auto handy = AppBundleInfo::read(image);
    ASSERT_TRUE(handy);
    EXPECT_EQ(handy->bundleID, "org.example.Handy");
    EXPECT_EQ(handy->relatedBundleIDs, IDs{});
    // Nor in a folder.
    const std::string folder = home + "/Downloads/Handy";
    std::filesystem::create_directories(folder);
    writeFile(folder + "/handy", "");
    writeFile(folder + "/org.example.Handy.desktop", entry("Handy", "handy", "StartupWMClass=Data\n"));
    for (const char* name : {"ssh.desktop", "dconf.desktop", "zz.desktop"}) writeFile(folder + "/" + name, entry("X", "/usr/bin/x"));
    ASSERT_TRUE(AppBundleInfo::read(folder));
    EXPECT_EQ(AppBundleInfo::read(folder)->relatedBundleIDs, IDs{}) << "a generic word names nothing";

    // A desktop entry downloaded anywhere but the menu folder is no app, also in the
    // Trash; the system's entries are read only to say who removes their apps.
    const std::string downloaded = home + "/Downloads/dbus-org.freedesktop.timesync1.desktop";
    writeFile(downloaded, entry("Cool Wallpaper", "/usr/lib/systemd/systemd-timesyncd"));
    EXPECT_FALSE(AppBundleInfo::read(downloaded));
    const std::string trash = home + "/.local/share/Trash";
    std::filesystem::create_directories(trash + "/files");
    std::filesystem::create_directories(trash + "/info");
    std::filesystem::copy_file(downloaded, trash + "/files/dbus-org.freedesktop.timesync1.desktop");
    writeFile(trash + "/info/dbus-org.freedesktop.timesync1.desktop.trashinfo",
              "[Trash Info]\nPath=" + downloaded + "\nDeletionDate=2026-12-11T08:00:00\n");
    EXPECT_FALSE(AppBundleInfo::read(trash + "/files/dbus-org.freedesktop.timesync1.desktop"));
    writeFile(dir.path() + "/share/applications/pkg.desktop", entry("Pkg", "/usr/bin/pkg"));
    writeFile(dir.path() + "/share/applications/loose.desktop", entry("Loose", "/opt/loose/loose"));
    ASSERT_TRUE(AppBundleInfo::read(dir.path() + "/share/applications/pkg.desktop"));
    EXPECT_EQ(AppBundleInfo::read(dir.path() + "/share/applications/pkg.desktop")->managedBy, AppManager::system);
    EXPECT_FALSE(AppBundleInfo::read(dir.path() + "/share/applications/loose.desktop"));
}

TEST_F(LinuxAppsTest, TheSystemsAndOtherManagersAppsAreTheirs) {
    writeFile(applications("pkg.desktop"), entry("Pkg", "/usr/bin/pkg %U"));
    writeFile(applications("flat.desktop"), entry("Flat", "/usr/bin/flatpak run org.example.Flat", "X-Flatpak=org.example.Flat\n"));
    writeFile(applications("snappy.desktop"), entry("Snappy", "env BAMF_DESKTOP_FILE_HINT=x /snap/bin/snappy %U"));
    writeFile(applications("local.desktop"), entry("Local", "/usr/local/bin/local"));
    const std::vector<std::pair<std::string, AppManager>> expected{
        {"pkg.desktop", AppManager::system},
        {"flat.desktop", AppManager::flatpak},
        {"snappy.desktop", AppManager::snap},
        {"local.desktop", AppManager::user},
    };
    for (const auto& [name, manager] : expected) {
        const auto app = AppBundleInfo::read(applications(name));
        ASSERT_TRUE(app) << name;
        EXPECT_EQ(app->managedBy, manager) << name;
        EXPECT_EQ(isSystemApp(*app), manager != AppManager::user) << name;
    }
    EXPECT_EQ(managerOfPath("/usr/share/applications/foo.desktop"), AppManager::system);
    EXPECT_EQ(managerOfPath("/usr/local/share/applications/foo.desktop"), AppManager::user);
    EXPECT_EQ(managerOfPath("/usr"), AppManager::user);
    EXPECT_EQ(managerOfPath("/var/lib/flatpak/exports/share/applications/a.desktop"), AppManager::flatpak);
    EXPECT_EQ(managerOfPath(home + "/.local/share/flatpak/app/org.example.A"), AppManager::flatpak);
    EXPECT_EQ(managerOfPath("/var/lib/snapd/desktop/applications/a.desktop"), AppManager::snap);
    EXPECT_EQ(managerOfPath("/opt/Foo"), AppManager::user);
    EXPECT_EQ(managerOfPath("/usrx/foo"), AppManager::user);

    AppBundleInfo bundle;
    bundle.bundleID = "com.apple.Safari";
    EXPECT_TRUE(isSystemApp(bundle));
}

TEST_F(LinuxAppsTest, ExecProgramsAndEntryIDs) {
    EXPECT_EQ(execProgram("env -u X A=1 /opt/foo --x"), "/opt/foo");
    EXPECT_TRUE(execProgram("sh -c 'x'").ends_with("bin/sh"));
    EXPECT_EQ(execProgram("no-such-program-anywhere %U"), "");
    EXPECT_EQ(execProgram(""), "");
    EXPECT_EQ(desktopEntryID(applications("a/b/c.desktop")), "a-b-c");
    EXPECT_EQ(desktopEntryID(dir.path() + "/share/applications/sys.desktop"), "sys");
    EXPECT_EQ(desktopEntryID("/elsewhere/x.desktop"), "x");
}

TEST_F(LinuxAppsTest, ImagesAndFoldersBuiltToCostAreReadWithinBounds) {
    const std::string downloads = home + "/Downloads";
    std::filesystem::create_directories(downloads);
    writeFile(downloads + "/Sparse.AppImage", sparseEntriesImage());
    writeFile(downloads + "/Groups.AppImage", manyGroupsImage());
    // A folder of 251 names of one many-groups entry, and one of 64 entries of their
    // own just inside an app entry's size, none running a program of the folder.
    const std::string linked = downloads + "/Linked", many = downloads + "/Many";
    std::filesystem::create_directories(linked);
    std::filesystem::create_directories(many);
    writeFile(linked + "/e000.desktop", manyGroupsEntry());
    for (int i = 1; i < 251; ++i)
        ASSERT_EQ(link((linked + "/e000.desktop").c_str(), (linked + "/e" + std::to_string(1000 + i) + ".desktop").c_str()), 0);
    for (int i = 0; i < 64; ++i)
        writeFile(many + "/e" + std::to_string(100 + i) + ".desktop", manyGroupsEntry(28'000 + i, "/opt/elsewhere/tool"));

    for (const char* name : {"Sparse.AppImage", "Groups.AppImage", "Linked", "Many"}) {
        const std::string path = downloads + "/" + name;
        EXPECT_EQ(withinLimits(
                      [&] {
                          std::string out = AppBundleInfo::read(path) ? "read;" : "";
                          out += appEntryIcon(path) ? "icon named;" : "";
                          out += readAppImageIcon(path, "tool") ? "icon read;" : "";
                          out += mayBeApp(path) ? "" : "not a candidate;";
                          return out;
                      },
                      appFileBounds),
                  "")
            << name;
    }
}
