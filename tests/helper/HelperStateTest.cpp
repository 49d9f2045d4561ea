#include "helper/HelperState.h"

#include "HelperFakes.h"
#include "common/AppImageFixture.h"
#include "common/StrictState.h"

#include "services/AppBundleInfo.h"
#include "services/LinuxApps.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;
using Status = TrashWatcher::Status;
using Field = HelperState::Field;

namespace {

class HelperStateTest : public ::testing::Test, public HelperWorld {
protected:
    HelperState& makeState() {
        state = std::make_unique<HelperState>(env);
        QObject::connect(state.get(), &HelperState::changed, [this](quint64 fields) { heard.push_back(fields); });
        return *state;
    }

    // Moves apps into the Trash and lets the watcher, the delay, the checks and the
    // searches run their course.
    void trashApps(std::initializer_list<std::string> paths) {
        for (const std::string& path : paths) {
            if (path.rfind(trash, 0) != 0)
                std::filesystem::rename(path, trash + "/" + std::filesystem::path(path).filename().string());
        }
        events->fire(FolderEvents::write);
        settle();
    }
    void settle() {
        for (int i = 0; i < 6; ++i) {
            clock->advance(3s);
            background.runAll();
        }
    }
    std::vector<QString> titlesMade() const {
        std::vector<QString> titles;
        for (const auto& shown : windows->made) titles.push_back(shown.title);
        return titles;
    }

    std::unique_ptr<HelperState> state;
    std::vector<quint64> heard;
};

} // namespace

TEST_F(HelperStateTest, StartsWatchingWithTheStoredChoiceAndStoresEveryChange) {
    HelperState& helper = makeState();
    EXPECT_TRUE(helper.askOnTrash()) << "on unless stored otherwise";
    EXPECT_EQ(helper.watcherStatus(), Status::watching);
    EXPECT_FALSE(preferences->value(HelperState::askOnTrashKey, {}).isValid()) << "the first reading writes nothing";

    heard.clear();
    helper.setAskOnTrash(false);
    EXPECT_EQ(helper.watcherStatus(), Status::stopped);
    EXPECT_EQ(preferences->value(HelperState::askOnTrashKey, {}), QVariant(false));
    EXPECT_EQ(heard, std::vector<quint64>{HelperState::bit(Field::askOnTrash) | HelperState::bit(Field::watcherStatus)});

    // Switched on again: stored again and watched afresh, with today's Trash as baseline.
    makeApp(trash, "Meanwhile", "com.example.meanwhile");
    preferences->remove(HelperState::askOnTrashKey);
    helper.setAskOnTrash(true);
    heard.clear();
    helper.setAskOnTrash(true);
    EXPECT_EQ(preferences->value(HelperState::askOnTrashKey, {}), QVariant(true));
    EXPECT_TRUE(heard.empty()) << "nothing observed changed";
    EXPECT_EQ(helper.watcher().detector().known, std::set<std::string>{"Meanwhile.app"});

    preferences->setValue(HelperState::askOnTrashKey, false);
    state.reset();
    HelperState& off = makeState();
    EXPECT_FALSE(off.askOnTrash());
    EXPECT_EQ(off.watcherStatus(), Status::stopped);
    EXPECT_EQ(events->listings, 3) << "a stored 'off' never touches the Trash";
}

TEST_F(HelperStateTest, ATrashedAppWithLeftoversIsOfferedAfterTheDelay) {
    const std::string app = makeApp(apps, "Example", "com.example.app");
    HelperState& helper = makeState();
    std::filesystem::rename(app, trash + "/Example.app");
    events->fire(FolderEvents::write);
    clock->advance(700ms);
    clock->advance(2499ms);
    EXPECT_TRUE(background.empty()) << "judged only after 2.5 s";
    settle();

    ASSERT_EQ(windows->made.size(), 1u);
    const FakeWindows::Shown& shown = windows->made[0];
    EXPECT_EQ(shown.identifier, "leftovers");
    EXPECT_EQ(shown.title, "Leftovers of Example");
    EXPECT_FALSE(shown.resizable);
    EXPECT_EQ(helper.current(), shown.session);
    EXPECT_EQ(shown.session->mode(), UninstallSession::Mode::afterTrash);
    EXPECT_EQ(shown.session->app().url, trash + "/Example.app");
    EXPECT_EQ(shown.session->remnants().size(), 1u);

    // Moving the leftovers marks them handled; Done closes the window and clears `current`.
    shown.session->moveToTrash();
    EXPECT_EQ(trashed.at(0), std::vector<std::string>{config + "/com.example.app.conf"});
    EXPECT_EQ(helper.handled().size(), 1u);
    shown.session->requestClose();
    EXPECT_TRUE(windows->open.empty());
    EXPECT_EQ(helper.current(), nullptr);
}

TEST_F(HelperStateTest, AppsThatMayNotBeOfferedAreSkippedSilently) {
    makeState();
    const std::string bare = makeApp(apps, "Bare", "com.example.bare", false);
    const std::string system = makeApp(apps, "Notes", "com.apple.Notes");
    const std::string mainApp = makeApp(apps, "Plenwick", "tarnwell.Plenwick");
    const std::string helperApp = makeApp(apps, "PlenwickHelper", "tarnwell.Plenwick.Helper");
    std::filesystem::create_directories(apps + "/Broken.app/Contents"); // no Info.plist
    const std::string copied = makeApp(apps, "Copied", "com.example.copied");
    const std::string otherCopy = makeApp(dir / "Elsewhere", "Copied", "com.example.copied");
    registry->bundles["com.example.copied"] = {trash + "/Copied.app", otherCopy};
    trashApps({bare, system, mainApp, helperApp, apps + "/Broken.app", copied});
    EXPECT_TRUE(windows->made.empty());
    EXPECT_TRUE(alerts.empty());

    // A copy in a Trash does not count as installed.
    std::filesystem::remove_all(trash + "/Copied.app");
    events->fire(FolderEvents::write);
    settle();
    const std::string inOtherTrash = makeApp(dir / "mnt/.Trash-1000/files", "Copied", "com.example.copied");
    registry->bundles["com.example.copied"] = {trash + "/Copied.app", inOtherTrash};
    makeApp(trash, "Copied", "com.example.copied");
    events->fire(FolderEvents::write);
    settle();
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Copied"});
}

TEST_F(HelperStateTest, AppsTheProgramsHandledAreNotOfferedForTwoMinutes) {
    HelperState& helper = makeState();
    const std::string byID = makeApp(apps, "ByID", "com.example.byid");
    const std::string byPath = makeApp(apps, "ByPath", "com.example.bypath");
    std::filesystem::rename(byID, trash + "/ByID.app");
    std::filesystem::rename(byPath, trash + "/ByPath.app");
    events->fire(FolderEvents::write);
    clock->advance(700ms);
    // The main program's report arrives during the delay.
    helper.appsHandled({"com.example.byid"}, {QString::fromStdString(apps + "/ByPath.app")});
    settle();
    EXPECT_TRUE(windows->made.empty());

    // Out of the Trash and in again, more than two minutes after the report: offered.
    for (const char* name : {"ByID.app", "ByPath.app"})
        std::filesystem::rename(trash + "/" + name, apps + "/" + name);
    events->fire(FolderEvents::write);
    clock->advance(2min);
    trashApps({apps + "/ByID.app", apps + "/ByPath.app"});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of ByID"});
    EXPECT_EQ(helper.queue().size(), 1u) << "the second waits for the first window";
    EXPECT_EQ(helper.handled().size(), 0u) << "old entries are dropped when judging";
}

TEST_F(HelperStateTest, AnAppThatCantBeJudgedHoldsUpNoOther) {
    makeState();
    registry->failing.insert("com.example.alpha");
    trashApps({makeApp(apps, "Beta", "com.example.beta"), makeApp(apps, "Alpha", "com.example.alpha")});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Beta"});
}

TEST_F(HelperStateTest, ABundleOfLinksCostsLittleAndTheNextAppIsStillOffered) {
    HelperState& helper = makeState();
    const std::string links = makeApp(apps, "Alinks", "com.example.alinks");
    makeBundleOfLinks(links, dir / "outside", 320);
    const auto started = std::chrono::steady_clock::now();
    trashApps({links, makeApp(apps, "Beta", "com.example.beta")});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Alinks"});
    EXPECT_TRUE(helper.current()->app().relatedBundleIDs.empty()) << "nothing read through the links";
    ASSERT_EQ(helper.queue().size(), 1u);
    EXPECT_EQ(helper.queue().front()->app().name, "Beta") << "the later app's offer follows";
}

TEST_F(HelperStateTest, OneWindowAtATimeMenuRequestsFirst) {
    HelperState& helper = makeState();
    trashApps({makeApp(apps, "Beta", "com.example.beta"), makeApp(apps, "Alpha", "com.example.alpha")});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Alpha"}) << "in name order";
    ASSERT_EQ(helper.queue().size(), 1u);

    // "Uninstall an App…" while a window is open: waits at the front of the queue.
    chosen = makeApp(apps, "Chosen", "com.example.chosen");
    helper.uninstallApp();
    EXPECT_EQ(activations, 1);
    ASSERT_EQ(helper.queue().size(), 2u);
    EXPECT_EQ(helper.queue().front()->app().name, "Chosen");
    EXPECT_EQ(helper.queue().front()->phase().kind(), UninstallSession::Phase::Kind::scanning)
        << "the window starts its search";
    helper.uninstallApp(); // the same app again: queued once
    chosen = trash + "/Alpha.app";
    helper.uninstallApp(); // the app whose window is open: nothing
    EXPECT_EQ(helper.queue().size(), 2u);

    windows->closeWindow("leftovers");
    EXPECT_EQ(titlesMade(), (std::vector<QString>{"Leftovers of Alpha", "Uninstall Chosen"}));
    windows->closeWindow("leftovers");
    EXPECT_EQ(titlesMade(), (std::vector<QString>{"Leftovers of Alpha", "Uninstall Chosen", "Leftovers of Beta"}));
    windows->closeWindow("leftovers");
    EXPECT_EQ(helper.current(), nullptr);
    EXPECT_TRUE(helper.queue().empty());
}

TEST_F(HelperStateTest, TheMenuRefusesWhatItCantUninstall) {
    HelperState& helper = makeState();
    helper.uninstallApp(); // cancelled
    std::filesystem::create_directories(apps + "/Odd.app/Contents");
    chosen = apps + "/Odd.app";
    helper.uninstallApp();
    chosen = makeApp(apps, "Sys", "com.apple.sys");
    makeBundle(*chosen, {{"CFBundleIdentifier", "com.apple.sys"}, {"CFBundleDisplayName", "System Thing"}});
    helper.uninstallApp();
    EXPECT_EQ(alerts, (std::vector<std::string>{"“Odd.app” isn’t an app Plenwick can read.",
                                                "“System Thing” comes with the system and can’t be uninstalled."}));
    EXPECT_TRUE(windows->made.empty());
    // The Trash flow's own tests do not apply to the menu: the main program can be chosen.
    chosen = makeApp(apps, "Plenwick", "tarnwell.Plenwick");
    helper.uninstallApp();
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Uninstall Plenwick"});
}

TEST_F(HelperStateTest, SwitchedOffDuringTheDelayNothingIsOffered) {
    HelperState& helper = makeState();
    const std::string app = makeApp(apps, "Late", "com.example.late");
    std::filesystem::rename(app, trash + "/Late.app");
    events->fire(FolderEvents::write);
    clock->advance(1s);
    helper.setAskOnTrash(false);
    settle();
    EXPECT_TRUE(windows->made.empty());
    EXPECT_TRUE(background.empty());
}

TEST_F(HelperStateTest, HandledAppsAndTheRetrySurviveADeletedTrash) {
    HelperState& helper = makeState();
    helper.markHandled({"com.example.gone"});
    std::filesystem::remove_all(dir / "share/Trash");
    events->fire(FolderEvents::deleted);
    EXPECT_EQ(helper.watcherStatus(), Status::noAccess);

    // Recreated with an app in it (a file manager restoring it): the retry watches it
    // again, without offering what was there.
    makeApp(trash, "Restored", "com.example.restored");
    clock->advance(15s);
    EXPECT_EQ(helper.watcherStatus(), Status::watching);
    trashApps({makeApp(apps, "Gone", "com.example.gone"), makeApp(apps, "Fresh", "com.example.fresh")});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Fresh"});
}

TEST_F(HelperStateTest, AHiddenTrashIsTriedAgainWhenTheHelperComesForward) {
    events->refused = true;
    HelperState& helper = makeState();
    EXPECT_EQ(helper.watcherStatus(), Status::noAccess);
    helper.applicationBecameActive();
    EXPECT_EQ(helper.watcherStatus(), Status::noAccess);
    events->refused = false;
    helper.applicationBecameActive();
    EXPECT_EQ(helper.watcherStatus(), Status::watching);
    const int listed = events->listings;
    helper.applicationBecameActive(); // watching: left alone
    helper.setAskOnTrash(false);
    helper.applicationBecameActive(); // off: left alone
    EXPECT_EQ(events->listings, listed + 0);
}

TEST_F(HelperStateTest, FollowsTheMainProgramStartingAndEnding) {
    running->running["tarnwell.Plenwick"] = {{41, "/A/Plenwick.app"}, {42, "/B/Plenwick.app"}};
    HelperState& helper = makeState();
    EXPECT_TRUE(helper.isMainAppRunning());
    EXPECT_EQ(watchedPids, (std::vector<int>{41, 42}));
    EXPECT_TRUE(heard.empty());

    running->running.clear();
    ASSERT_TRUE(onExit);
    onExit();
    EXPECT_FALSE(helper.isMainAppRunning());
    EXPECT_EQ(heard, std::vector<quint64>{HelperState::bit(Field::isMainAppRunning)});
    helper.refreshMainAppRunning();
    EXPECT_EQ(heard.size(), 1u) << "no change, no news";
}

TEST_F(HelperStateTest, AnOperationStartedWhileItNotifiesIsReported) {
    HelperState& helper = makeState();
    CountedReentries reports;
    QObject::connect(&helper, &HelperState::changed, [&helper] {
        if (!helper.askOnTrash()) helper.setAskOnTrash(true);
    });
    helper.setAskOnTrash(false);
    EXPECT_EQ(reports.count(), 1);
    EXPECT_TRUE(helper.askOnTrash());
}

TEST_F(HelperStateTest, AppImagesAppFoldersAndEntriesArriveButALinkIsNoApp) {
    ScopedEnvironment environment;
    const std::string home = dir / "home";
    environment.set("HOME", home);
    std::filesystem::create_directories(home + "/Applications");
    std::filesystem::create_directories(config);
    auto entry = [](const std::string& name, const std::string& exec) {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n";
    };

    const std::string image = home + "/Applications/Foo.AppImage";
    writeFile(image, appImage({ImageNode::file("org.example.Foo.desktop", entry("Foo", "foo"))}));
    leftoverOf("org.example.Foo");
    const std::string folder = home + "/Applications/Bar";
    std::filesystem::create_directories(folder);
    writeFile(folder + "/bar", "");
    writeFile(folder + "/org.example.Bar.desktop", entry("Bar", "bar"));
    leftoverOf("org.example.Bar");
    // An entry of its own in the user's menu folder (its program outside the home):
    // read as an app, its ID is its name.
    const std::string baz = home + "/.local/share/applications/baz.desktop";
    std::filesystem::create_directories(home + "/.local/share/applications");
    writeFile(baz, entry("Baz", "/opt/baz/baz"));
    leftoverOf("baz");
    ASSERT_TRUE(AppBundleInfo::read(baz));
    const std::string installed = makeApp(apps, "Example", "com.example.app");
    HelperState& helper = makeState();

    // Links to installed apps, whatever their names, are judged as the links they are:
    // the watcher reports none of them, and told of them all the same, the state
    // offers none.
    std::filesystem::create_symlink(installed, trash + "/Example.app");
    std::filesystem::create_symlink(image, trash + "/Foo.AppImage");
    std::filesystem::create_symlink(folder, trash + "/Bar");
    std::filesystem::create_symlink(baz, trash + "/baz.desktop");
    events->fire(FolderEvents::write);
    settle();
    EXPECT_TRUE(windows->made.empty());
    helper.handleTrashedApps({trash + "/Bar", trash + "/Example.app", trash + "/Foo.AppImage", trash + "/baz.desktop"});
    settle();
    EXPECT_TRUE(windows->made.empty());
    EXPECT_TRUE(background.empty());

    // An entry whose AppImage is still installed leaves the app installed.
    writeFile(trash + "/foo-menu.desktop", entry("Foo", image + " %U"));
    events->fire(FolderEvents::write);
    settle();
    EXPECT_TRUE(windows->made.empty());

    for (const char* name : {"Example.app", "Foo.AppImage", "Bar", "baz.desktop"}) std::filesystem::remove(trash + "/" + name);
    events->fire(FolderEvents::write);
    settle();
    trashApps({image, folder});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Bar"});
    ASSERT_EQ(helper.queue().size(), 1u);
    EXPECT_EQ(helper.queue()[0]->app().bundleID, "org.example.Foo");
    EXPECT_EQ(helper.current()->app().url, trash + "/Bar");
}

TEST_F(HelperStateTest, AnAppImageIsOfferedOnceNoOtherInstalledEntryRunsTheApp) {
    ScopedEnvironment environment;
    const std::string home = dir / "home", system = dir / "system";
    environment.set("HOME", home);
    environment.set("XDG_DATA_HOME", dir / "share");
    environment.set("XDG_DATA_DIRS", system);
    const std::string user = dir / "share/applications";
    std::filesystem::create_directories(home + "/Applications");
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system + "/applications");
    auto entry = [](const std::string& exec, const std::string& more = {}) {
        return "[Desktop Entry]\nType=Application\nName=Foo\nExec=" + exec + "\n" + more;
    };
    const std::string image = home + "/Applications/Foo.AppImage";
    writeFile(image, appImage({ImageNode::file("org.example.Foo.desktop", entry("foo"))}));
    leftoverOf("org.example.Foo");
    // The menu entry that runs the AppImage goes nowhere once the AppImage is trashed.
    writeFile(user + "/org.example.Foo.desktop", entry(image + " %U"));
    // The system's entry of the same ID whose program exists: another installed copy.
    writeFile(dir / "foo-system", "");
    writeFile(system + "/applications/org.example.Foo.desktop", entry(dir / "foo-system"));
    env.registry = std::make_shared<FolderAppRegistry>(std::vector<std::string>{}, applicationsFolders());
    HelperState& helper = makeState();

    trashApps({image});
    EXPECT_TRUE(windows->made.empty()) << "installed by the system's entry";

    // Without that copy it is offered: the system's entry hidden, the menu entry's
    // program gone with the AppImage.
    std::filesystem::rename(trash + "/Foo.AppImage", image);
    events->fire(FolderEvents::write);
    settle();
    writeFile(system + "/applications/org.example.Foo.desktop", entry(dir / "foo-system", "Hidden=true\n"));
    trashApps({image});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Foo"});
    EXPECT_EQ(helper.current()->app().url, trash + "/Foo.AppImage");
}

TEST_F(HelperStateTest, ADesktopEntryIsOfferedOnlyWhenTrashedFromTheUsersMenu) {
    ScopedEnvironment environment;
    environment.set("HOME", dir / "home");
    environment.set("XDG_DATA_HOME", dir / "share");
    const std::string menu = dir / "share/applications", downloads = dir / "home/Downloads";
    std::filesystem::create_directories(menu);
    std::filesystem::create_directories(downloads);
    std::filesystem::create_directories(dir / "share/Trash/info");
    auto entry = [](const std::string& name, const std::string& exec) {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n";
    };
    // The menu's own entry, and one downloaded: named after a system unit's alias.
    writeFile(menu + "/org.example.Menu.desktop", entry("Menu", "/opt/menu/menu"));
    leftoverOf("org.example.Menu");
    writeFile(downloads + "/dbus-org.freedesktop.timesync1.desktop", entry("Cool Wallpaper", "/opt/wallpaper/w"));
    leftoverOf("dbus-org.freedesktop.timesync1");
    HelperState& helper = makeState();

    for (const std::string& from : {menu + "/org.example.Menu.desktop", downloads + "/dbus-org.freedesktop.timesync1.desktop"}) {
        const std::string name = std::filesystem::path(from).filename();
        writeFile(dir / ("share/Trash/info/" + name + ".trashinfo"),
                  "[Trash Info]\nPath=" + from + "\nDeletionDate=2026-12-11T08:00:00\n");
    }
    trashApps({menu + "/org.example.Menu.desktop", downloads + "/dbus-org.freedesktop.timesync1.desktop"});
    EXPECT_EQ(titlesMade(), std::vector<QString>{"Leftovers of Menu"});
    EXPECT_TRUE(helper.queue().empty()) << "the download is no app";
}
