#include "services/AppRegistry.h"

#include "common/AppServiceFakes.h"
#include "common/PlistFixtures.h"

#include "base/HomeDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace plenwick;
using namespace plenwick::test;

TEST(AppRegistry, FindsBundlesOneLevelDeepByIdentifier) {
    TempFolder dir;
    const std::string apps = dir / "Applications", utilities = dir / "Applications/Utilities", home = dir / "HomeApps";
    makeBundle(apps + "/Zed.app", {{"CFBundleIdentifier", "com.example.app"}});
    makeBundle(apps + "/Alpha.app", {{"CFBundleIdentifier", "com.example.app"}}, PlistFormat::binary);
    makeBundle(apps + "/Other.app", {{"CFBundleIdentifier", "com.example.other"}});
    makeBundle(apps + "/Plain", {{"CFBundleIdentifier", "com.example.app"}});           // not an .app
    makeBundle(apps + "/Group/Deep.app", {{"CFBundleIdentifier", "com.example.app"}});  // two levels down
    makeBundle(apps + "/Upper.APP", {{"CFBundleIdentifier", "com.example.app"}});       // extension case counts
    makeBundle(utilities + "/Tool.app", {{"CFBundleIdentifier", "com.example.app"}});
    std::filesystem::create_directories(home + "/Broken.app");                            // no Info.plist

    const FolderAppRegistry registry({apps, utilities, home, dir / "missing"});
    EXPECT_EQ(registry.applicationURLs("com.example.app"),
              (std::vector<std::string>{apps + "/Alpha.app", apps + "/Zed.app", utilities + "/Tool.app"}));
    EXPECT_TRUE(registry.applicationURLs("COM.example.app").empty());

    EXPECT_EQ(FolderAppRegistry::standardApplicationFolders(),
              (std::vector<std::string>{homeDirectory() + "/Applications", "/opt"}));
}

TEST(AppRegistry, TrashTestsWholeComponentsAndTheHomeTrash) {
    EXPECT_TRUE(isInTrash("/Users/me/.Trash/Example.app"));
    EXPECT_TRUE(isInTrash("/Volumes/Disk/.Trashes/501/Example.app"));
    EXPECT_TRUE(isInTrash("/media/disk/.Trash-1000/files/Example.app"));
    EXPECT_FALSE(isInTrash("/Applications/.Trashy/Example.app"));
    EXPECT_FALSE(isInTrash("/Applications/Trash/Example.app"));
    EXPECT_TRUE(isInTrash(xdgDataHome() + "/Trash/files/Example.app"));
    EXPECT_FALSE(isInTrash(xdgDataHome() + "/TrashCan/Example.app"));
}

TEST(AppRegistry, InstalledCopiesLeaveOutTheAppTrashAndMissingOnes) {
    TempFolder dir;
    const std::string own = dir / "Applications/Example.app", copy = dir / "Elsewhere/Example.app";
    makeBundle(own, {{"CFBundleIdentifier", "com.example.app"}});
    makeBundle(copy, {{"CFBundleIdentifier", "com.example.app"}});
    makeBundle(dir / ".Trash/Example.app", {{"CFBundleIdentifier", "com.example.app"}});

    FakeAppRegistry registry;
    registry.bundles["com.example.app"] = {dir / "Applications/./Example.app", dir / ".Trash/Example.app",
                                           dir / "Gone/Example.app", dir / "Elsewhere/../Elsewhere/Example.app"};
    // Returned as the registry gave them.
    EXPECT_EQ(installedCopies(registry, "com.example.app", own),
              (std::vector<std::string>{dir / "Elsewhere/../Elsewhere/Example.app"}));
    EXPECT_TRUE(installedCopies(registry, "com.example.none", own).empty());

    EXPECT_EQ(applicationURLOutsideTrash(registry, "com.example.app"), dir / "Applications/./Example.app");
    registry.bundles["com.example.app"] = {dir / ".Trash/Example.app"};
    EXPECT_FALSE(applicationURLOutsideTrash(registry, "com.example.app"));
}

TEST(AppRegistry, DesktopEntriesRegisterTheAppTheyStandFor) {
    TempFolder dir;
    ScopedEnvironment environment;
    environment.set("HOME", dir / "home");
    environment.set("XDG_DATA_HOME", dir / "home/.local/share");
    const std::string user = dir / "home/.local/share/applications", system = dir / "share/applications";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system);
    std::filesystem::create_directories(dir / "home/Apps/Foo");
    writeFile(dir / "home/Apps/Foo/foo", "");
    writeFile(dir / "home/Apps/Foo/org.example.Foo.desktop",
              "[Desktop Entry]\nType=Application\nName=Foo\nExec=" + dir / "home/Apps/Foo/foo" + "\n");
    writeFile(dir / "tool", "");
    auto entry = [](const std::string& exec, const std::string& more = {}) {
        return "[Desktop Entry]\nType=Application\nName=Foo\nExec=" + exec + "\n" + more;
    };
    writeFile(user + "/org.example.Foo.desktop", entry(dir / "home/Apps/Foo/foo %U"));
    writeFile(system + "/org.example.Foo.desktop", entry(dir / "tool"));
    writeFile(user + "/org.example.Gone.desktop", entry(dir / "missing"));
    writeFile(system + "/org.example.Hidden.desktop", entry(dir / "tool", "Hidden=true\n"));
    // An entry running an app folder that lies in the Trash: registered, never installed.
    const std::string trashed = dir / "home/.local/share/Trash/files/Bar";
    std::filesystem::create_directories(trashed);
    writeFile(trashed + "/bar", "");
    writeFile(trashed + "/org.example.Bar.desktop", "[Desktop Entry]\nType=Application\nName=Bar\nExec=bar\n");
    writeFile(user + "/org.example.Bar.desktop", entry(trashed + "/bar"));

    const FolderAppRegistry registry({dir / "Applications"}, {user, dir / "missing", system});
    const auto found = registry.applicationURLs("org.example.Foo");
    EXPECT_EQ(found, (std::vector<std::string>{dir / "home/Apps/Foo", system + "/org.example.Foo.desktop"}));
    EXPECT_TRUE(registry.applicationURLs("org.example.Gone").empty()) << "its program is gone";
    EXPECT_TRUE(registry.applicationURLs("org.example.Hidden").empty());
    EXPECT_TRUE(registry.applicationURLs("../applications/org.example.Foo").empty());
    EXPECT_EQ(installedCopies(registry, "org.example.Foo", dir / "home/Apps/Foo"),
              std::vector<std::string>{system + "/org.example.Foo.desktop"});
    EXPECT_EQ(registry.applicationURLs("org.example.Bar"), std::vector<std::string>{trashed});
    EXPECT_TRUE(installedCopies(registry, "org.example.Bar", dir / "elsewhere/Bar").empty());
}
