#include "startup/StartupItemsScanner.h"

#include "ScriptedRunner.h"
#include "StartupTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

class StartupItemsScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        userAgents = dir / "home/Library/LaunchAgents";
        systemAgents = dir / "Library/LaunchAgents";
        daemons = dir / "Library/LaunchDaemons";
        std::filesystem::create_directories(userAgents);
        environment.runner = &runner;
        environment.appURLForBundleID = [this](const std::string& id) -> std::optional<std::string> {
            const auto it = registry.find(id);
            if (it == registry.end()) return std::nullopt;
            return it->second;
        };
    }
    std::vector<std::pair<std::string, Source>> launchFolders() const {
        return {{userAgents, Source::userAgent}, {systemAgents, Source::systemAgent}, {daemons, Source::systemDaemon}};
    }
    std::map<std::string, StartupItem> byFileName(const std::vector<StartupItem>& items) {
        std::map<std::string, StartupItem> map;
        for (const StartupItem& item : items) map[std::filesystem::path(item.url).filename().string()] = item;
        return map;
    }

    TempFolder dir;
    std::string userAgents, systemAgents, daemons;
    ScriptedRunner runner;
    std::map<std::string, std::string> registry;
    StartupItemsScanner::Environment environment;
};

} // namespace

TEST_F(StartupItemsScannerTest, DescribesTheJobsOfEachLaunchFolder) {
    const std::string sync = dir / "Apps/Sync.app";
    makeApp(sync, plistKey("CFBundleDisplayName", "Sync Pro") + plistKey("CFBundleName", "Sync"));
    writeFile(sync + "/Contents/MacOS/sync", "#!/bin/sh\n");
    const std::string known = dir / "Apps/Known.app";
    makeApp(known, plistKey("CFBundleName", "Known"));
    registry["com.maker.known"] = known;

    writePlist(userAgents + "/a-sync.plist", plistKey("Label", "com.maker.sync") +
                                                 plistKey("Program", sync + "/Contents/MacOS/sync") +
                                                 "<key>RunAtLoad</key><true/><key>KeepAlive</key><dict/>");
    writePlist(userAgents + "/b-gone.plist",
               plistKey("Label", "com.gone.helper") + "<key>ProgramArguments</key><array><string>" +
                   (dir / "Gone.app/Contents/MacOS/gone") + "</string><string>--x</string></array>");
    writePlist(userAgents + "/c-plain.plist", plistKey("Label", "com.plain.job"));
    writePlist(userAgents + "/d-nolabel.plist", "<key>Disabled</key><true/>");
    writePlist(userAgents + "/e-assoc.plist",
               plistKey("Label", "com.assoc") + "<key>AssociatedBundleIdentifiers</key><array>"
                                                "<string>com.maker.unknown</string><string>com.maker.known</string></array>");
    writePlist(userAgents + "/f-override.plist", plistKey("Label", "com.turned.on") + "<key>Disabled</key><true/>");
    writeFile(userAgents + "/README.txt", "not a job");
    writePlist(userAgents + "/CAPS.PLIST", plistKey("Label", "com.caps"));
    writeFile(userAgents + "/broken.plist", "not a property list");
    ASSERT_EQ(mkfifo((userAgents + "/fifo.plist").c_str(), 0600), 0); // must not block the scan
    writePlist(systemAgents + "/g-sys.plist", plistKey("Label", "com.sys.agent"));
    writePlist(systemAgents + "/h-sys.plist", plistKey("Label", "com.sys.agent2"));
    writePlist(daemons + "/i-daemon.plist",
               plistKey("Label", "com.d.loaded") + plistKey("Program", "/bin/sh"));
    writePlist(daemons + "/j-daemon.plist", plistKey("Label", "com.d.off"));
    writePlist(daemons + "/k-daemon.plist", plistKey("Program", "/bin/sh"));

    const std::string gui = userLaunchDomain();
    runner.succeed("/bin/launchctl print-disabled " + gui,
                   "disabled services = {\n\t\"com.sys.agent\" => disabled\n\t\"com.turned.on\" => enabled\n}\n");
    runner.succeed("/bin/launchctl print-disabled system",
                   "disabled services = {\n\t\"com.sys.agent2\" => disabled\n\t\"com.d.off\" => disabled\n}\n");
    runner.succeed("/bin/launchctl list", "PID\tStatus\tLabel\n12\t0\tcom.maker.sync\n-\t0\tcom.sys.agent2\n");
    runner.succeed("/bin/launchctl print system/com.d.loaded", "lots of text");

    const auto items = StartupItemsScanner::scanLaunchFolder(launchFolders(), true, environment);
    EXPECT_EQ(runner.calls, (std::vector<std::string>{
                                "/bin/launchctl print-disabled " + gui, "/bin/launchctl print-disabled system",
                                "/bin/launchctl list", "/bin/launchctl print system/com.d.loaded",
                                "/bin/launchctl print system/com.d.off"}));
    ASSERT_EQ(items.size(), 11u);
    // Folder by folder, in listing order.
    EXPECT_EQ(items[0].url, userAgents + "/a-sync.plist");
    EXPECT_EQ(items[6].source, Source::systemAgent);
    EXPECT_EQ(items[8].source, Source::systemDaemon);

    auto found = byFileName(items);
    const StartupItem& a = found["a-sync.plist"];
    EXPECT_EQ(a.name, "Sync Pro");
    EXPECT_EQ(a.appURL, sync);
    EXPECT_EQ(a.label, "com.maker.sync");
    EXPECT_TRUE(a.runsAtLoad && a.keepsAlive && !a.programMissing && !a.isDisabled);
    EXPECT_EQ(a.isLoaded, true);

    const StartupItem& gone = found["b-gone.plist"];
    EXPECT_EQ(gone.name, "Gone"); // the app's file name: it is gone
    EXPECT_EQ(gone.appURL, dir / "Gone.app");
    EXPECT_TRUE(gone.programMissing);
    EXPECT_EQ(gone.isLoaded, false);

    EXPECT_EQ(found["c-plain.plist"].name, "com.plain.job");
    EXPECT_FALSE(found["c-plain.plist"].appURL);
    EXPECT_FALSE(found["c-plain.plist"].programMissing);

    const StartupItem& nolabel = found["d-nolabel.plist"];
    EXPECT_EQ(nolabel.name, "d-nolabel");
    EXPECT_TRUE(nolabel.isDisabled);
    EXPECT_FALSE(nolabel.isLoaded);

    EXPECT_EQ(found["e-assoc.plist"].appURL, known);
    EXPECT_EQ(found["e-assoc.plist"].name, "Known");
    EXPECT_FALSE(found["f-override.plist"].isDisabled); // the user turned it on
    EXPECT_TRUE(found["g-sys.plist"].isDisabled);       // the user's domain decides for all-users agents
    EXPECT_FALSE(found["h-sys.plist"].isDisabled);
    EXPECT_EQ(found["h-sys.plist"].isLoaded, true);
    EXPECT_EQ(found["i-daemon.plist"].isLoaded, true);
    EXPECT_TRUE(found["j-daemon.plist"].isDisabled);
    EXPECT_EQ(found["j-daemon.plist"].isLoaded, false);
    EXPECT_FALSE(found["k-daemon.plist"].isLoaded);
    for (const char* skipped : {"README.txt", "CAPS.PLIST", "broken.plist", "fifo.plist"})
        EXPECT_FALSE(found.count(skipped)) << skipped;
}

TEST_F(StartupItemsScannerTest, WithoutTheLaunchSystemOnlyThePropertyListSpeaks) {
    writePlist(userAgents + "/on.plist", plistKey("Label", "com.on"));
    writePlist(userAgents + "/off.plist", plistKey("Label", "com.off") + "<key>Disabled</key><true/>");
    writePlist(daemons + "/d.plist", plistKey("Label", "com.d"));

    // A machine without launchctl: every query fails to start.
    auto items = StartupItemsScanner::scanLaunchFolder(launchFolders(), true, environment);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(runner.calls.size(), 4u);
    auto found = byFileName(items);
    EXPECT_FALSE(found["on.plist"].isDisabled);
    EXPECT_TRUE(found["off.plist"].isDisabled);
    EXPECT_EQ(found["on.plist"].isLoaded, false);
    EXPECT_EQ(found["d.plist"].isLoaded, false);

    // Not asked at all: nothing runs and the loaded state stays unknown.
    runner.calls.clear();
    items = StartupItemsScanner::scanLaunchFolder(launchFolders(), false, environment);
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_FALSE(byFileName(items)["d.plist"].isLoaded);
    EXPECT_TRUE(byFileName(items)["off.plist"].isDisabled);

    // Missing folders contribute nothing.
    EXPECT_TRUE(StartupItemsScanner::scanLaunchFolder({{dir / "none", Source::userAgent}}, false, environment).empty());
}

TEST_F(StartupItemsScannerTest, FindsHelpersInsideApps) {
    const std::string apps = dir / "Applications";
    const std::string viewer = apps + "/Viewer.app";
    makeApp(viewer, plistKey("CFBundleName", "Viewer"));
    std::filesystem::create_directories(viewer + "/Contents/Library/LoginItems/ViewerHelper.app");
    writePlist(viewer + "/Contents/Library/LaunchAgents/com.viewer.agent.plist",
               plistKey("Label", "com.viewer.agent") + "<key>KeepAlive</key><true/><key>Disabled</key><true/>");
    writePlist(viewer + "/Contents/Library/LaunchAgents/unlabelled.plist", "<key>RunAtLoad</key><false/>");
    writeFile(viewer + "/Contents/Library/LaunchAgents/notes.txt", "x");
    std::filesystem::create_directories(viewer + "/Contents/Library/LaunchDaemons");
    writeFile(viewer + "/Contents/Library/LaunchDaemons/broken.plist", "garbage");
    makeApp(apps + "/Other.app");
    std::filesystem::create_directories(apps + "/Other.app/Contents/Library/LoginItems/Bare.app");
    makeApp(apps + "/Sub/Nested.app");
    std::filesystem::create_directories(apps + "/Sub/Nested.app/Contents/Library/LoginItems/Deep.app");

    const auto items = StartupItemsScanner::scanAppBundles({apps, dir / "missing"});
    ASSERT_EQ(items.size(), 5u);
    const auto expect = [&](std::size_t i, const std::string& url, const std::string& name, const std::string& label,
                            bool runsAtLoad, bool keepsAlive, const std::string& app) {
        SCOPED_TRACE(url);
        EXPECT_EQ(items[i].source, Source::bundled);
        EXPECT_EQ(items[i].url, url);
        EXPECT_EQ(items[i].name, name);
        EXPECT_EQ(items[i].label, label);
        EXPECT_EQ(items[i].runsAtLoad, runsAtLoad);
        EXPECT_EQ(items[i].keepsAlive, keepsAlive);
        EXPECT_EQ(items[i].appURL, app);
        EXPECT_FALSE(items[i].isDisabled || items[i].isLoaded || items[i].programPath || items[i].programMissing);
    };
    // App by app, subfolder by subfolder.
    expect(0, apps + "/Other.app/Contents/Library/LoginItems/Bare.app", "Other", "Bare", true, false, apps + "/Other.app");
    const std::string c = viewer + "/Contents/Library/";
    expect(1, c + "LoginItems/ViewerHelper.app", "Viewer", "ViewerHelper", true, false, viewer);
    expect(2, c + "LaunchAgents/com.viewer.agent.plist", "Viewer", "com.viewer.agent", false, true, viewer);
    expect(3, c + "LaunchAgents/unlabelled.plist", "Viewer", "unlabelled", false, false, viewer);
    expect(4, c + "LaunchDaemons/broken.plist", "Viewer", "broken", true, false, viewer);
}

TEST_F(StartupItemsScannerTest, LoginItemsBecomeStartupItems) {
    const std::string app = dir / "Notes.app";
    makeApp(app);
    const auto items = StartupItemsScanner::loginItemsToStartupItems(
        {{"Notes", app + "/", true}, {"Script", dir / "gone.sh", false}});
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].source, Source::loginItem);
    EXPECT_EQ(items[0].url, app);
    EXPECT_EQ(items[0].appURL, app);
    EXPECT_TRUE(items[0].hidden && items[0].runsAtLoad && !items[0].programMissing);
    EXPECT_FALSE(items[0].label || items[0].isLoaded || items[0].isDisabled);
    EXPECT_EQ(items[1].name, "Script");
    EXPECT_FALSE(items[1].appURL);
    EXPECT_TRUE(items[1].programMissing);
}

TEST(StartupItemsScannerNames, AppDisplayNamePrefersTheDisplayName) {
    PlistDictionary info;
    EXPECT_FALSE(StartupItemsScanner::appDisplayName(info));
    info["CFBundleName"] = PlistValue{std::string("Bundle")};
    EXPECT_EQ(StartupItemsScanner::appDisplayName(info), "Bundle");
    info["CFBundleDisplayName"] = PlistValue{std::string()};
    EXPECT_EQ(StartupItemsScanner::appDisplayName(info), ""); // even empty
    info["CFBundleDisplayName"] = PlistValue{std::int64_t{3}};
    EXPECT_EQ(StartupItemsScanner::appDisplayName(info), "Bundle");

    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", "/home/u", 1);
    const auto standard = StartupItemsScanner::Folders::standard();
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(standard.launchFolders,
              (std::vector<std::pair<std::string, Source>>{{"/home/u/Library/LaunchAgents", Source::userAgent},
                                                           {"/Library/LaunchAgents", Source::systemAgent},
                                                           {"/Library/LaunchDaemons", Source::systemDaemon}}));
    EXPECT_EQ(standard.applicationFolders,
              (std::vector<std::string>{"/Applications", "/Applications/Utilities", "/home/u/Applications"}));
}
