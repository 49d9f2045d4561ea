#include "startup/StartupItemsScanner.h"

#include "ScriptedRunner.h"
#include "StartupTestSupport.h"
#include "common/AppImageFixture.h"
#include "common/ResourceLimits.h"

#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

// A home folder, the system-wide folders and the system's units, all in a temporary
// folder; systemctl answers from recordings.
class StartupItemsScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders.userAutostart = dir / "home/.config/autostart";
        folders.systemAutostart = {dir / "etc/xdg/autostart", dir / "usr/xdg/autostart"};
        folders.userUnits = {{dir / "home/.config/systemd/user", Source::userAgent},
                             {dir / "etc/systemd/user", Source::systemAgent},
                             {dir / "lib/systemd/user", Source::systemAgent}};
        folders.systemUnits = {{dir / "etc/systemd/system", Source::systemDaemon},
                               {dir / "lib/systemd/system", Source::systemDaemon}};
        folders.flatpakApplications = {dir / "flatpak"};
        environment.runner = &runner;
        environment.searchPath = dir / "bin";
        environment.home = dir / "home";
        environment.appContaining = [this](const std::string& program) -> std::optional<OwningApp> {
            if (program.rfind(dir / "Apps/Sync", 0) == 0) return OwningApp{dir / "Apps/Sync", "Cloud Sync"};
            return std::nullopt;
        };
        writeAt(dir / "bin/present", "#!/bin/sh\n");
        chmod((dir / "bin/present").c_str(), 0755);
    }
    std::map<std::string, StartupItem> scanByLabel() {
        std::map<std::string, StartupItem> byLabel;
        for (StartupItem& item : StartupItemsScanner::scan(folders, environment)) {
            const std::string label = item.label.value_or("?");
            EXPECT_TRUE(byLabel.emplace(label, std::move(item)).second) << "listed twice: " << label;
        }
        return byLabel;
    }

    TempFolder dir;
    StartupItemsScanner::Folders folders;
    StartupItemsScanner::Environment environment;
    ScriptedRunner runner;
};

} // namespace

TEST_F(StartupItemsScannerTest, AutostartEntriesByTheXdgRules) {
    const std::string user = folders.userAutostart;
    writeAt(user + "/helper.desktop", entryText("Plenwick Helper", "present --quiet %U"));
    writeAt(user + "/off.desktop", entryText("Off", "present", "X-GNOME-Autostart-enabled=false\n"));
    writeAt(user + "/gone.desktop", entryText("Gone", "/nowhere/gone"));
    writeAt(user + "/tried.desktop", entryText("Tried", "present", "TryExec=not-installed\n"));
    writeAt(user + "/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n");
    writeAt(user + "/notes.txt", entryText("Text", "present"));
    writeAt(user + "/broken.desktop", "no group at all\n");
    // System-wide: one the user replaced, one the user turned off, one that turns itself off.
    writeAt(folders.systemAutostart[0] + "/replaced.desktop", entryText("Vendor's", "present"));
    writeAt(user + "/replaced.desktop", entryText("Mine", "present"));
    writeAt(folders.systemAutostart[0] + "/hidden-by-user.desktop", entryText("Tracker", "present"));
    writeAt(user + "/hidden-by-user.desktop", "[Desktop Entry]\nHidden=true\n");
    writeAt(folders.systemAutostart[0] + "/vendor-off.desktop", entryText("Vendor off", "present", "Hidden=true\n"));
    writeAt(folders.systemAutostart[0] + "/first.desktop", entryText("First", "present"));
    writeAt(folders.systemAutostart[1] + "/first.desktop", entryText("Second", "present"));
    writeAt(folders.systemAutostart[1] + "/flat.desktop", entryText("", "/usr/bin/flatpak run org.x.Y", "X-Flatpak=org.x.Y\n"));
    writeAt(dir / "flatpak/org.x.Y.desktop", entryText("Why", "y"));

    auto items = scanByLabel();
    EXPECT_EQ(items.size(), 8u);
    const StartupItem& helper = items.at("helper.desktop");
    EXPECT_EQ(helper.source, Source::loginItem);
    EXPECT_EQ(helper.name, "Plenwick Helper");
    EXPECT_EQ(helper.url, user + "/helper.desktop");
    EXPECT_EQ(helper.programPath, "present");
    EXPECT_EQ(helper.isDisabled, false);
    EXPECT_EQ(helper.isLoaded, std::nullopt);
    EXPECT_FALSE(helper.programMissing) << "found on the search path";
    EXPECT_TRUE(helper.canToggle());
    EXPECT_EQ(items.at("off.desktop").isDisabled, true);
    EXPECT_TRUE(items.at("gone.desktop").programMissing);
    EXPECT_TRUE(items.at("tried.desktop").programMissing) << "the session skips it";
    EXPECT_FALSE(items.count("link.desktop")) << "a Link entry starts nothing";

    EXPECT_EQ(items.at("replaced.desktop").name, "Mine");
    EXPECT_EQ(items.at("replaced.desktop").source, Source::loginItem);
    const StartupItem& hidden = items.at("hidden-by-user.desktop");
    EXPECT_EQ(hidden.source, Source::systemAgent);
    EXPECT_EQ(hidden.url, folders.systemAutostart[0] + "/hidden-by-user.desktop");
    EXPECT_EQ(hidden.isDisabled, true);
    EXPECT_TRUE(hidden.canToggle());
    EXPECT_FALSE(items.count("vendor-off.desktop")) << "it starts for nobody";
    EXPECT_EQ(items.at("first.desktop").name, "First") << "an earlier folder wins";
    EXPECT_EQ(items.at("flat.desktop").appURL, dir / "flatpak/org.x.Y.desktop");
    EXPECT_EQ(items.at("flat.desktop").name, "flat") << "no Name: the file's";
    EXPECT_TRUE(runner.calls.empty()) << "no unit to ask about";
}

TEST_F(StartupItemsScannerTest, UnitsWithTheirStatesFromSystemctl) {
    const std::string mine = folders.userUnits[0].path;
    writeAt(mine + "/sync.service", unitText(dir / "Apps/Sync/bin/sync", true, "Restart=always\n"));
    writeAt(mine + "/notes.service", unitText("present", true));
    writeAt(mine + "/static.service", unitText("present", false));
    writeAt(folders.userUnits[1].path + "/shared.service", unitText("/nowhere/shared"));
    writeAt(folders.userUnits[2].path + "/shared.service", unitText("present")); // hidden by /etc's
    writeAt(folders.userUnits[2].path + "/vendor.service", unitText("present"));
    const std::string etc = folders.systemUnits[0].path, lib = folders.systemUnits[1].path;
    writeAt(lib + "/sshd.service", unitText("present"));
    writeAt(lib + "/masked.service", unitText("present"));
    std::filesystem::create_directories(etc);
    symlink("/dev/null", (etc + "/masked.service").c_str());
    symlink((lib + "/sshd.service").c_str(), (etc + "/ssh-alias.service").c_str());
    writeAt(lib + "/empty.service", "");
    writeAt(lib + "/getty@.service", unitText("/sbin/agetty", true, "") + "DefaultInstance=tty1\n");
    std::filesystem::create_directories(etc + "/getty.target.wants");
    symlink((lib + "/getty@.service").c_str(), (etc + "/getty.target.wants/getty@tty3.service").c_str());
    writeAt(lib + "/worker@.service", unitText("present")); // no default, nothing enabled

    runner.succeed("/bin/systemctl --user" + listFiles + "notes.service sync.service shared.service vendor.service",
                   "notes.service disabled enabled\nsync.service enabled enabled\nshared.service static -\n"
                   "vendor.service enabled enabled\n");
    runner.succeed("/bin/systemctl --user" + listUnits + "notes.service sync.service shared.service vendor.service",
                   "sync.service loaded active running Sync\n");
    runner.succeed("/bin/systemctl" + listFiles + "sshd.service getty@.service",
                   "getty@.service indirect enabled\nsshd.service enabled enabled\nworker@.service disabled enabled\n");
    runner.answer("/bin/systemctl" + listUnits + "sshd.service getty@tty3.service getty@tty1.service",
                  {1, {}, "System has not been booted with systemd as init system (PID 1). Can't operate.\n"});

    auto items = scanByLabel();
    std::vector<std::string> labels;
    for (const auto& [label, item] : items) labels.push_back(label);
    EXPECT_EQ(labels, (std::vector<std::string>{"getty@tty1.service", "getty@tty3.service", "notes.service",
                                                 "sshd.service", "sync.service", "vendor.service"}));
    const StartupItem& sync = items.at("sync.service");
    EXPECT_EQ(sync.source, Source::userAgent);
    EXPECT_EQ(sync.name, "Cloud Sync") << "named after its app";
    EXPECT_EQ(sync.appURL, dir / "Apps/Sync");
    EXPECT_EQ(sync.isDisabled, false);
    EXPECT_TRUE(sync.runsAtLoad);
    EXPECT_EQ(sync.isLoaded, true);
    EXPECT_TRUE(sync.keepsAlive);
    EXPECT_TRUE(sync.programMissing);
    EXPECT_EQ(items.at("notes.service").isDisabled, true);
    EXPECT_EQ(items.at("notes.service").isLoaded, false);
    EXPECT_EQ(items.at("notes.service").name, "notes.service");
    EXPECT_EQ(items.at("vendor.service").source, Source::systemAgent);
    EXPECT_TRUE(items.at("vendor.service").removalRefusal() == std::nullopt) << "not under /usr here";

    const StartupItem& sshd = items.at("sshd.service");
    EXPECT_EQ(sshd.source, Source::systemDaemon);
    EXPECT_EQ(sshd.url, lib + "/sshd.service");
    EXPECT_EQ(sshd.isDisabled, false);
    EXPECT_EQ(sshd.isLoaded, std::nullopt) << "no running manager";
    EXPECT_EQ(items.at("getty@tty3.service").url, etc + "/getty.target.wants/getty@tty3.service");
    EXPECT_EQ(items.at("getty@tty3.service").isDisabled, false) << "enabled by its link";
    EXPECT_EQ(items.at("getty@tty1.service").url, lib + "/getty@.service");
    EXPECT_EQ(items.at("getty@tty1.service").isDisabled, true) << "indirect: only another instance is enabled";
    EXPECT_EQ(items.at("getty@tty1.service").programPath, "/sbin/agetty");
}

TEST_F(StartupItemsScannerTest, WithoutSystemctlEntriesAndInstallableUnitsListWithUnknownState) {
    writeAt(folders.userAutostart + "/a.desktop", entryText("A", "present"));
    writeAt(folders.userUnits[0].path + "/mine.service", unitText("present"));
    writeAt(folders.userUnits[0].path + "/static.service", unitText("present", false));
    writeAt(folders.systemUnits[1].path + "/daemon.service", unitText("present"));
    auto items = scanByLabel(); // the runner answers nothing: no such tool
    ASSERT_EQ(items.size(), 3u);
    for (const auto& [label, item] : items) {
        if (item.isAutostartEntry()) continue;
        EXPECT_EQ(item.isDisabled, std::nullopt) << label;
        EXPECT_EQ(item.isLoaded, std::nullopt) << label;
        EXPECT_FALSE(item.canToggle()) << label << ": a switch would guess";
    }
    EXPECT_EQ(items.at("a.desktop").isDisabled, false) << "read from the entry itself";
}

TEST_F(StartupItemsScannerTest, AUnitIsNamedAfterTheAppFolderItsProgramLiesIn) {
    environment.appContaining = nullptr; // the apps as the uninstaller reads them
    const std::string app = dir / "opt/Sync";
    writeAt(app + "/bin/syncd", "#!/bin/sh\n");
    chmod((app + "/bin/syncd").c_str(), 0755);
    writeAt(app + "/sync.desktop", entryText("Cloud Sync", app + "/bin/syncd"));
    writeAt(folders.userUnits[0].path + "/sync.service", unitText(app + "/bin/syncd"));
    writeAt(folders.userUnits[0].path + "/plain.service", unitText(dir / "bin/present"));
    const auto items = scanByLabel();
    EXPECT_EQ(items.at("sync.service").name, "Cloud Sync");
    EXPECT_EQ(items.at("sync.service").appURL, app);
    EXPECT_EQ(items.at("plain.service").name, "plain.service");
    EXPECT_FALSE(items.at("plain.service").appURL);
}

// Entries whose programs are downloads built to cost (an image of holes, one of a
// huge entry under many names, a folder of many names of one huge entry): their owning
// apps are looked for within the bounds of reading any one app file.
TEST_F(StartupItemsScannerTest, OwningAppsBuiltToCostAreReadWithinBounds) {
    const std::string downloads = dir / "home/Downloads";
    std::filesystem::create_directories(downloads + "/Linked");
    writeFile(downloads + "/Sparse.AppImage", sparseEntriesImage());
    writeFile(downloads + "/Groups.AppImage", manyGroupsImage());
    writeFile(downloads + "/Linked/tool", "");
    writeFile(downloads + "/Linked/e000.desktop", manyGroupsEntry());
    for (int i = 1; i < 251; ++i)
        ASSERT_EQ(link((downloads + "/Linked/e000.desktop").c_str(),
                       (downloads + "/Linked/e" + std::to_string(1000 + i) + ".desktop").c_str()),
                  0);
    for (const char* program : {"Sparse.AppImage", "Groups.AppImage", "Linked/tool"})
        writeAt(folders.userAutostart + "/" + std::filesystem::path(program).stem().string() + ".desktop",
                entryText("Starter", downloads + "/" + program));
    environment.appContaining = nullptr; // the real owning-app reader
    EXPECT_EQ(withinLimits(
                  [&] {
                      const auto items = StartupItemsScanner::scanAutostart(folders, environment);
                      std::string out = items.size() == 3 ? "" : "listed " + std::to_string(items.size()) + ";";
                      for (const StartupItem& item : items)
                          if (item.appURL) out += "owned by " + *item.appURL + ";";
                      return out;
                  },
                  appFileBounds),
              "");
}
