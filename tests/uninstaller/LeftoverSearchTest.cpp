#include "uninstaller/LeftoverSearch.h"

#include "base/Utf8.h"
#include "common/AppImageFixture.h"
#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;
using Kind = Remnant::Kind;
using Confidence = Remnant::Confidence;

namespace {

using Found = std::map<std::string, std::pair<Kind, Confidence>>;

// A home of its own with the XDG defaults below it, a system root of its own, and an
// app folder ~/Applications/Foo: its entry org.example.Foo.desktop (name "Foo") runs
// bin/foo-engine inside it. HOME and the XDG variables point into the folder for the
// test's length, so reading the app meets no desktop entries of the machine's.
class LeftoverSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : variables) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_DIRS", (dir / "share").c_str(), 1);
        chmod(dir.path().c_str(), 0755);
        make(appPath + "/bin/foo-engine");
        make(appPath + "/org.example.Foo.desktop",
             "[Desktop Entry]\nType=Application\nName=Foo\nExec=\"" + appPath + "/bin/foo-engine\" %U\n");
        app = *AppBundleInfo::read(appPath);
        roots = RemnantSearchRoots::userFoldersOf(home);
        roots.systemRoot = system;
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

    // Creates a file (with `bytes` as content) or, for a path ending in "/", a folder.
    static void make(const std::string& path, const std::string& bytes = "xxxxxxxxxx") {
        if (path.ends_with("/")) {
            std::filesystem::create_directories(path);
            return;
        }
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writeFile(path, bytes);
    }
    static std::string desktopEntry(const std::string& exec) {
        return "[Desktop Entry]\nType=Application\nName=Something\nExec=" + exec + "\n";
    }
    static std::string unit(const std::string& execStart) { return "[Service]\nExecStart=" + execStart + "\n"; }

    Found found() const { return found(app); }
    Found found(const AppBundleInfo& of, const std::optional<std::string>& former = std::nullopt) const {
        Found out;
        for (const Remnant& r : findRemnants(of, roots, {}, former)) out[r.url] = {r.kind, r.confidence};
        return out;
    }

    static constexpr const char* variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                                "XDG_STATE_HOME", "XDG_DATA_DIRS"};
    TempFolder dir;
    std::string home = dir / "home", system = dir / "sys";
    std::string config = home + "/.config", data = home + "/.local/share", cache = home + "/.cache",
                state = home + "/.local/state";
    std::string appPath = home + "/Applications/Foo";
    AppBundleInfo app;
    RemnantSearchRoots roots;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

const std::pair<Kind, Confidence> certain(Kind kind) { return {kind, Confidence::certain}; }
const std::pair<Kind, Confidence> possible(Kind kind) { return {kind, Confidence::possible}; }

} // namespace

TEST_F(LeftoverSearchTest, EveryPlaceGivesItsKindAndDecoysStay) {
    ASSERT_EQ(app.bundleID, "org.example.Foo");
    ASSERT_EQ(app.executableName, "foo-engine");
    make(config + "/Foo/");                                // own name
    make(config + "/org.example.Foo.conf");                // identifier
    make(data + "/Foo/");
    make(cache + "/foo/");                                 // any case
    make(cache + "/foo-engine/");                          // the executable's name only
    make(state + "/FOO/");
    make(home + "/.var/app/org.example.Foo/");
    make(home + "/.foo/");
    make(home + "/.foorc");
    make(data + "/applications/org.example.Foo.desktop");
    make(data + "/icons/hicolor/48x48/apps/org.example.Foo.png");
    make(data + "/icons/hicolor/scalable/apps/org.example.Foo.svg");
    make(config + "/autostart/org.example.Foo.desktop");   // by its name, whatever it runs
    make(config + "/autostart/tray.desktop", desktopEntry("env GDK_BACKEND=x11 " + appPath + "/bin/foo-engine --tray"));
    make(config + "/systemd/user/org.example.Foo.sync.service");
    make(config + "/systemd/user/sync.service", unit("-" + appPath + "/bin/foo-engine --sync"));
    make(system + "/etc/xdg/autostart/org.example.Foo.desktop");  // never by a name
    make(system + "/etc/systemd/system/foo-daemon.service", unit("\"" + appPath + "/bin/foo-engine\" --daemon"));

    // Decoys: look-alike names, a generic word, an identifier sharing only a prefix,
    // whole names compared, other programs, places listed by identifier only.
    make(config + "/Foobar/");
    make(config + "/Foo.conf");
    make(cache + "/cache/");
    make(data + "/org.example.Foobar/");
    make(data + "/org.example.Foo2/");
    make(home + "/.foobar/");
    make(home + "/Foo/");                                  // not a dot-entry
    make(home + "/.var/app/Foo/");                         // Flatpak data by identifier only
    make(data + "/applications/Foo.desktop");
    make(data + "/icons/hicolor/48x48/apps/org.example.Foobar.png");
    make(config + "/autostart/other.desktop", desktopEntry("/usr/bin/other " + appPath + "/bin/foo-engine"));
    make(config + "/autostart/beside.desktop", desktopEntry(appPath + "bar/bin/foo-engine"));
    make(config + "/autostart/org.example.Foo.txt");
    make(config + "/systemd/user/org.example.Foo.timer");
    make(system + "/etc/systemd/system/other.service", unit("/usr/bin/other"));
    make(system + "/etc/Foo/");                            // only the two system places are looked at

    // Its reverse-DNS identifier names its own for certain; its names, which any app
    // may bear, possibly; the system's files only by the program they run, unticked.
    const Found expected{
        {config + "/Foo", possible(Kind::preferences)},
        {config + "/org.example.Foo.conf", certain(Kind::preferences)},
        {data + "/Foo", possible(Kind::applicationSupport)},
        {cache + "/foo", possible(Kind::caches)},
        {cache + "/foo-engine", possible(Kind::caches)},
        {state + "/FOO", possible(Kind::logs)},
        {home + "/.var/app/org.example.Foo", certain(Kind::containers)},
        {home + "/.foo", possible(Kind::applicationSupport)},
        {home + "/.foorc", possible(Kind::applicationSupport)},
        {data + "/applications/org.example.Foo.desktop", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/48x48/apps/org.example.Foo.png", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/scalable/apps/org.example.Foo.svg", certain(Kind::applicationSupport)},
        {config + "/autostart/org.example.Foo.desktop", certain(Kind::launchItems)},
        {config + "/autostart/tray.desktop", certain(Kind::launchItems)},
        {config + "/systemd/user/org.example.Foo.sync.service", certain(Kind::launchItems)},
        {config + "/systemd/user/sync.service", certain(Kind::launchItems)},
        {system + "/etc/systemd/system/foo-daemon.service", possible(Kind::launchItems)},
    };
    EXPECT_EQ(found(), expected);

    // Without a system root only the user's folders are searched.
    roots.systemRoot.reset();
    const Found userOnly = found();
    EXPECT_EQ(userOnly.size(), expected.size() - 1);
    EXPECT_EQ(userOnly.count(system + "/etc/systemd/system/foo-daemon.service"), 0u);
}

TEST_F(LeftoverSearchTest, TheXdgVariablesAreHonouredWhenAbsolute) {
    setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "dat").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir / "cch").c_str(), 1);
    setenv("XDG_STATE_HOME", "relative/state", 1); // relative: the default holds
    const RemnantSearchRoots current;
    EXPECT_EQ(current.home, home);
    EXPECT_EQ(current.configHome, dir / "cfg");
    EXPECT_EQ(current.dataHome, dir / "dat");
    EXPECT_EQ(current.cacheHome, dir / "cch");
    EXPECT_EQ(current.stateHome, home + "/.local/state");
    EXPECT_EQ(current.systemRoot, "/");

    roots = current;
    roots.systemRoot.reset();
    make(dir / "cfg/Foo/");
    make(dir / "cfg/autostart/org.example.Foo.desktop");
    make(dir / "dat/applications/org.example.Foo.desktop");
    make(dir / "cch/foo/");
    make(state + "/Foo/");
    make(config + "/Foo/"); // the default folder is not searched while the variable names another
    const Found expected{
        {dir / "cfg/Foo", possible(Kind::preferences)},
        {dir / "cfg/autostart/org.example.Foo.desktop", certain(Kind::launchItems)},
        {dir / "dat/applications/org.example.Foo.desktop", certain(Kind::applicationSupport)},
        {dir / "cch/foo", possible(Kind::caches)},
        {state + "/Foo", possible(Kind::logs)},
    };
    EXPECT_EQ(found(), expected);
}

TEST_F(LeftoverSearchTest, AnAppImageIsTheProgramItsEntriesStart) {
    const std::string image = home + "/Applications/Foo-1.2-x86_64.AppImage";
    writeFile(image, appImage({ImageNode::file("org.example.Foo.desktop",
                                               "[Desktop Entry]\nType=Application\nName=Foo\nExec=foo %F\n")}));
    const auto imageApp = AppBundleInfo::read(image);
    ASSERT_TRUE(imageApp);
    ASSERT_EQ(imageApp->url, image);
    make(config + "/autostart/a.desktop", desktopEntry(image + " --minimised"));
    make(config + "/systemd/user/b.service", unit("%h/Applications/Foo-1.2-x86_64.AppImage --serve"));
    make(config + "/autostart/c.desktop", desktopEntry(image + ".old"));
    const Found expected{
        {config + "/autostart/a.desktop", certain(Kind::launchItems)},
        {config + "/systemd/user/b.service", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(*imageApp), expected);

    // In the Trash it no longer lies where its entries point: those are possible only.
    const std::string trashed = dir / "Trash/Foo-1.2-x86_64.AppImage";
    std::filesystem::create_directories(dir / "Trash");
    std::filesystem::rename(image, trashed);
    const auto inTrash = AppBundleInfo::read(trashed);
    ASSERT_TRUE(inTrash);
    EXPECT_TRUE(found(*inTrash).empty());
    const Found former{
        {config + "/autostart/a.desktop", possible(Kind::launchItems)},
        {config + "/systemd/user/b.service", possible(Kind::launchItems)},
    };
    EXPECT_EQ(found(*inTrash, image), former);
}

TEST_F(LeftoverSearchTest, HostileEntriesAreReadWithinBounds) {
    // A FIFO never holds the search up, a huge entry is not read, a link to a folder
    // reads nothing: each is matched by its name alone.
    std::filesystem::create_directories(config + "/autostart");
    std::filesystem::create_directories(config + "/systemd/user");
    ASSERT_EQ(mkfifo((config + "/autostart/fifo.desktop").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((config + "/systemd/user/org.example.Foo.service").c_str(), 0644), 0);
    make(config + "/autostart/huge.desktop",
         desktopEntry(appPath + "/bin/foo-engine") + "X-Padding=" + std::string(2 * 1024 * 1024, 'p') + "\n");
    std::filesystem::create_directory_symlink(appPath, config + "/systemd/user/linked.service");
    const Found expected{
        {config + "/systemd/user/org.example.Foo.service", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(), expected);
}

TEST_F(LeftoverSearchTest, StructuralFoldersAndFoldersHoldingTheAppAreNeverLeftovers) {
    // Apps whose names are those of the folders searched, the Trash or the home's own.
    for (const char* name : {"Local", "Config", "Applications", "Icons", "Trash", "Autostart", "Systemd", "Share"}) {
        make(home + "/." + asciiLower(name) + "/");
        make(data + "/" + name + "/");
        make(config + "/" + name + "/");
    }
    make(data + "/icons/hicolor/48x48/apps/x.png");
    make(data + "/Trash/files/");
    make(config + "/autostart/x.desktop");
    make(config + "/systemd/user/x.service");
    for (const char* name : {"Local", "Config", "Applications", "Icons", "Trash", "Autostart", "Systemd", "Share"}) {
        const AppBundleInfo named{dir / (std::string("Apps/") + name), name, std::string("org.example.") + name, std::nullopt,
                                  std::nullopt, {}};
        for (const auto& [path, kind] : found(named)) {
            EXPECT_NE(path, home + "/.local") << name;
            EXPECT_NE(path, home + "/.config") << name;
            EXPECT_NE(path, data + "/applications") << name;
            EXPECT_NE(path, data + "/icons") << name;
            EXPECT_NE(path, data + "/Trash") << name;
            EXPECT_NE(path, config + "/autostart") << name;
            EXPECT_NE(path, config + "/systemd") << name;
        }
    }

    // An app kept in a folder named after it: the folder goes with the app, not before it.
    const std::string kept = data + "/Bar/bar-engine";
    make(kept);
    const AppBundleInfo bar{kept, "Bar", "org.example.Bar", std::string("bar-engine"), std::nullopt, {}};
    make(cache + "/Bar/");
    EXPECT_EQ(found(bar), (Found{{cache + "/Bar", possible(Kind::caches)}}));
}

TEST_F(LeftoverSearchTest, OneWordIdentifiersArePossibleButTheEntriesNamedByTheDesktopID) {
    AppBundleInfo word{appPath, "Foo Viewer", "fooview", std::nullopt, std::nullopt, {"data", "com"}};
    make(data + "/applications/fooview.desktop");
    make(data + "/icons/hicolor/64x64/apps/fooview.png");
    make(data + "/icons/hicolor/64x64/apps/FooView.svg");  // not the ID as written
    make(config + "/fooview/");
    make(config + "/systemd/user/fooview.service");
    make(config + "/fooview.settings.json");              // more than one extension
    make(data + "/applications/fooviewer.desktop");
    make(data + "/applications/data.desktop");            // generic words claim nothing
    make(data + "/applications/com.other.app.desktop");   // nor does a top-level domain
    const Found expected{
        {data + "/applications/fooview.desktop", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/64x64/apps/fooview.png", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/64x64/apps/FooView.svg", possible(Kind::applicationSupport)},
        {config + "/fooview", possible(Kind::preferences)},
        {config + "/systemd/user/fooview.service", possible(Kind::launchItems)},
    };
    EXPECT_EQ(found(word), expected);

    EXPECT_TRUE(entryMatchesBundleIDs("fooview.desktop", {"fooview"}));
    EXPECT_EQ(identifierMatch("fooview.desktop", {"fooview"}), Confidence::possible);
    EXPECT_EQ(identifierMatch("org.example.foo.desktop", {"org.example.Foo"}), Confidence::certain);
    EXPECT_EQ(identifierMatch("example.foo.desktop", {"example.Foo"}), Confidence::possible) << "one dot is no reverse-DNS";
    EXPECT_FALSE(entryMatchesBundleIDs("fooview.a.b", {"fooview"}));
    EXPECT_FALSE(entryMatchesBundleIDs("fo.desktop", {"fo"}));
    EXPECT_FALSE(entryMatchesBundleIDs("helper.desktop", {"helper"}));
}

TEST_F(LeftoverSearchTest, AppsOfTheSystemOrOfAnotherManagerAreNeverSearched) {
    make(config + "/Foo/");
    app.managedBy = AppManager::system;
    EXPECT_TRUE(findRemnants(app, roots).empty());
    app.managedBy = AppManager::flatpak;
    EXPECT_TRUE(findRemnants(app, roots).empty());
    app.managedBy = AppManager::user;
    EXPECT_EQ(found().size(), 1u);
}

TEST_F(LeftoverSearchTest, NestedFindingsAndTheAppItselfAreDropped) {
    make(data + "/Foo/org.example.Foo.conf");
    make(config + "/autostart/org.example.Foo.desktop");
    Found result = found();
    EXPECT_EQ(result.count(data + "/Foo"), 1u);
    EXPECT_EQ(result.count(data + "/Foo/org.example.Foo.conf"), 0u);

    // An app that is itself a desktop entry of a searched folder is never its own leftover.
    const std::string entry = data + "/applications/org.example.Baz.desktop";
    make(entry, "[Desktop Entry]\nType=Application\nName=Baz\nExec=/opt/baz/baz\n");
    const auto baz = AppBundleInfo::read(entry);
    ASSERT_TRUE(baz);
    ASSERT_EQ(baz->url, entry);
    make(config + "/Baz/");
    result = found(*baz);
    EXPECT_EQ(result.count(entry), 0u);
    EXPECT_EQ(result.count(config + "/Baz"), 1u);
}

TEST_F(LeftoverSearchTest, SortsByKindThenSizeAndSizesTrees) {
    make(cache + "/org.example.Foo/a", std::string(100'000, 'x'));
    make(cache + "/org.example.Foo/b", std::string(100'000, 'x'));
    make(cache + "/Foo", "x");
    make(config + "/org.example.Foo.conf", std::string(50'000, 'x'));
    make(data + "/Foo/");
    const auto list = findRemnants(app, roots);
    std::vector<std::string> order;
    for (const Remnant& r : list) order.push_back(r.url.substr(home.size()));
    EXPECT_EQ(order, (std::vector<std::string>{"/.local/share/Foo", "/.config/org.example.Foo.conf",
                                               "/.cache/org.example.Foo", "/.cache/Foo"}));
    EXPECT_GE(list[2].size, 200'000);
    EXPECT_EQ(list[0].size, 0);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(findRemnants(app, roots, stop.get_token()).empty());
}

TEST_F(LeftoverSearchTest, SystemPlacesNeedTheAdministrator) {
    make(config + "/systemd/user/org.example.Foo.service");
    make(system + "/etc/systemd/system/foo.service", unit(appPath + "/bin/foo-engine"));
    make(system + "/etc/xdg/autostart/foo.desktop", desktopEntry(appPath + "/bin/foo-engine"));
    for (const std::string& folder : {home, home + "/.config", home + "/.config/systemd", config + "/systemd/user"})
        chmod(folder.c_str(), 0777);
    for (const std::string& folder : {home + "/Applications", appPath, appPath + "/bin"}) chmod(folder.c_str(), 0755);
    chmod((appPath + "/org.example.Foo.desktop").c_str(), 0644);
    chmod((config + "/systemd/user/org.example.Foo.service").c_str(), 0444);
    const std::string outcome = asNobody([&]() -> std::string {
        std::map<std::string, bool> admin;
        for (const Remnant& r : findRemnants(app, roots)) admin[r.url] = r.needsAdmin;
        if (admin.size() != 3) return "expected three remnants, found " + std::to_string(admin.size());
        if (admin[config + "/systemd/user/org.example.Foo.service"]) return "a unit in the user's folder needs no password";
        if (!admin[system + "/etc/systemd/system/foo.service"]) return "a system unit needs one";
        if (!admin[system + "/etc/xdg/autostart/foo.desktop"]) return "a system autostart entry needs one";
        return {};
    });
    EXPECT_EQ(outcome, "");
}

TEST(LeftoverSearch, IdentifierTestsAndGroupPrefixes) {
    const std::vector<std::string> ids{"com.example.app"};
    EXPECT_TRUE(entryMatchesBundleIDs("com.example.app", ids));
    EXPECT_TRUE(entryMatchesBundleIDs("com.example.app.plist", ids));
    EXPECT_TRUE(entryMatchesBundleIDs("Com.Example.App.helper", ids));
    EXPECT_FALSE(entryMatchesBundleIDs("com.example.application", ids));
    EXPECT_FALSE(entryMatchesBundleIDs("com.example", ids));
    EXPECT_FALSE(entryMatchesBundleIDs("anything", {""})); // an empty identifier matches nothing
    for (const char* broad : {"com", "com.", ".com", "com..", "."})
        EXPECT_FALSE(entryMatchesBundleIDs("com.example.app", {broad})) << broad;
    EXPECT_TRUE(entryMatchesBundleIDs("com.example.app", {"com.example"}));
    EXPECT_TRUE(entryMatchesBundleIDs("ABCDE12345.com.example.app", ids));
    EXPECT_TRUE(entryMatchesBundleIDs("group.com.example.app", ids));
    EXPECT_FALSE(entryMatchesBundleIDs("abcde12345.com.example.app", ids));

    EXPECT_EQ(stripGroupPrefix("ABCDE12345.com.example.app"), "com.example.app");
    EXPECT_EQ(stripGroupPrefix("group.com.example.app"), "com.example.app");
    EXPECT_FALSE(stripGroupPrefix("Group.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("abcde12345.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("ABCDE123456.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("noDotHere"));

    EXPECT_EQ(standardizedPathWithoutParentSteps("/a//b/./c/"), "/a/b/c");
    EXPECT_FALSE(standardizedPathWithoutParentSteps("/a/b/../c"));
    EXPECT_FALSE(standardizedPathWithoutParentSteps("a/b"));
    LaunchJob climbing;
    climbing.programPath = "/apps/Foo/../../etc/tool"; // starts with the app, leads outside it
    EXPECT_FALSE(launchJobRunsFrom(climbing, "/apps/Foo"));
    climbing.programPath = "/apps/Foo/./bin/tool";
    EXPECT_TRUE(launchJobRunsFrom(climbing, "/apps/Foo/"));
}

// The probe's downloads: an AppImage carrying empty entries named after what every
// desktop keeps, entries that name themselves ssh or gnupg, take shared files' names
// or another installed app's ID, and an entry named after a system unit's alias.
TEST_F(LeftoverSearchTest, ADownloadChoosesNothingOfTheDesktopsOtherAppsOrTheSystems) {
    const std::vector<std::string> shared{
        home + "/.ssh/", home + "/.gnupg/", home + "/.pki/", data + "/keyrings/", config + "/dconf/",
        cache + "/dconf/", config + "/pulse/", state + "/pulse/", data + "/systemd/", config + "/dbus/",
        data + "/gnome-shell/", config + "/mimeapps.list", config + "/user-dirs.dirs", config + "/user-dirs.locale",
        config + "/monitors.xml", home + "/.bashrc", home + "/.profile", home + "/.bash_profile", home + "/.zshrc",
        home + "/.Xauthority", home + "/.local/bin/"};
    for (const std::string& place : shared) make(place);
    // Another app, installed by the system: its entry names its ID, its program is there.
    make(dir / "share/applications/org.gnome.Evolution.desktop", desktopEntry(dir / "bin/evolution"));
    make(dir / "bin/evolution");
    roots.installedEntryFolders.push_back(dir / "share/applications");
    make(config + "/org.gnome.Evolution/");
    make(data + "/org.gnome.Evolution.db");
    make(config + "/evolution/");
    // The system's and the user's startup files, and units that are aliases of others.
    make(system + "/etc/xdg/autostart/at-spi-dbus-bus.desktop", desktopEntry("/usr/libexec/at-spi-bus-launcher"));
    make(system + "/etc/xdg/autostart/xdg-user-dirs.desktop", desktopEntry("xdg-user-dirs-update"));
    make(system + "/lib/systemd-timesyncd.service", unit("/lib/systemd/systemd-timesyncd"));
    make(config + "/systemd/user/");
    std::filesystem::create_directories(system + "/etc/systemd/system");
    std::filesystem::create_symlink(system + "/lib/systemd-timesyncd.service",
                                    system + "/etc/systemd/system/dbus-org.freedesktop.timesync1.service");
    std::filesystem::create_symlink(system + "/lib/systemd-timesyncd.service",
                                    config + "/systemd/user/dbus-org.freedesktop.timesync1.service");
    make(config + "/autostart/at-spi-dbus-bus.desktop", "[Desktop Entry]\nHidden=true\n");

    const std::string downloads = home + "/Downloads";
    auto image = [&](const std::string& file, const std::string& ownEntry, const std::string& name,
                     const std::vector<std::string>& extras = {}) {
        std::vector<ImageNode> top{ImageNode::file(ownEntry, "[Desktop Entry]\nType=Application\nName=" + name +
                                                                 "\nExec=AppRun\nStartupWMClass=" + name + "\n")};
        for (const std::string& extra : extras) top.push_back(ImageNode::file(extra + ".desktop", ""));
        make(downloads + "/" + file, appImage(top));
        const auto read = AppBundleInfo::read(downloads + "/" + file);
        EXPECT_TRUE(read) << file;
        return read.value_or(AppBundleInfo{});
    };
    const std::vector<AppBundleInfo> downloadsRead{
        image("Handy.AppImage", "org.example.Handy.desktop", "Handy Tool",
              {"ssh", "dconf", "keyrings", "gnome-shell", "evolution", "org.gnome.Evolution",
               "dbus-org.freedesktop.timesync1", "at-spi-dbus-bus", "xdg-user-dirs", "mimeapps.list", "user-dirs.dirs"}),
        image("Ssh.AppImage", "tool.desktop", "ssh"),
        image("Gnupg.AppImage", "tool.desktop", "gnupg"),
        image("Mime.AppImage", "mimeapps.list.desktop", "Mime"),
        image("Dirs.AppImage", "user-dirs.dirs.desktop", "Dirs"),
        image("Keys.AppImage", "keyrings.desktop", "keyrings"),
        image("Evolution.AppImage", "org.gnome.Evolution.desktop", "Evolution"),
        image("Bus.AppImage", "at-spi-dbus-bus.desktop", "at-spi-dbus-bus"),
        image("Time.AppImage", "dbus-org.freedesktop.timesync1.desktop", "Time"),
    };
    // An entry the user put in the menu, named after the alias: it is an app, and
    // still claims nothing of the system's.
    make(home + "/bin/wallpaper");
    make(data + "/applications/dbus-org.freedesktop.timesync1.desktop", desktopEntry(home + "/bin/wallpaper"));
    std::vector<AppBundleInfo> apps = downloadsRead;
    const auto wallpaper = AppBundleInfo::read(data + "/applications/dbus-org.freedesktop.timesync1.desktop");
    ASSERT_TRUE(wallpaper);
    apps.push_back(*wallpaper);

    const auto isShared = [&](const std::string& path) {
        return std::any_of(shared.begin(), shared.end(), [&](std::string place) {
            if (place.ends_with("/")) place.pop_back();
            return path == place || path.starts_with(place + "/");
        });
    };
    for (const AppBundleInfo& download : apps) {
        for (const Remnant& r : findRemnants(download, roots)) {
            EXPECT_FALSE(isShared(r.url)) << download.bundleID << ": " << r.url;
            EXPECT_FALSE(r.url.starts_with(system)) << download.bundleID << ": " << r.url;
            EXPECT_FALSE(std::filesystem::is_symlink(r.url)) << download.bundleID << ": " << r.url;
            EXPECT_EQ(r.url.find("org.gnome.Evolution"), std::string::npos) << download.bundleID << ": " << r.url;
            // Certain is only what a reverse-DNS ID of its own names; the rest is unticked.
            if (r.confidence == Confidence::certain) {
                EXPECT_NE(r.url.find(download.bundleID), std::string::npos) << download.bundleID << ": " << r.url;
            }
        }
    }
    // What the words do find stays unticked: Keys finds no keyrings, Bus the user's
    // override of a system entry only possibly.
    EXPECT_EQ(found(downloadsRead[7]), (Found{{config + "/autostart/at-spi-dbus-bus.desktop", possible(Kind::launchItems)}}));
    EXPECT_EQ(found(downloadsRead[5]), Found{});
    EXPECT_EQ(found(downloadsRead[6]), (Found{{config + "/evolution", possible(Kind::preferences)}}));
}

TEST_F(LeftoverSearchTest, RealAppsKeepTheirLeftoversReverseDnsForCertainOneWordPossibly) {
    // An AppImage with a reverse-DNS ID, its menu entry written by an integration tool.
    const std::string image = home + "/Applications/Viewer-2.0-x86_64.AppImage";
    make(image, appImage({ImageNode::file("org.example.Viewer.desktop",
                                          "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %F\n")}));
    make(data + "/applications/appimagekit_0af1-Viewer.desktop", desktopEntry(image + " %U"));
    // Its own entry under its own ID names what is its, not another app's.
    make(data + "/applications/org.example.Viewer.desktop", desktopEntry(image));
    for (const std::string& place : {config, cache, data, state, home + "/.var/app"}) make(place + "/org.example.Viewer/");
    make(config + "/Viewer/");
    const auto viewer = AppBundleInfo::read(image);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(found(*viewer), (Found{
                                  {config + "/org.example.Viewer", certain(Kind::preferences)},
                                  {cache + "/org.example.Viewer", certain(Kind::caches)},
                                  {data + "/org.example.Viewer", certain(Kind::applicationSupport)},
                                  {state + "/org.example.Viewer", certain(Kind::logs)},
                                  {home + "/.var/app/org.example.Viewer", certain(Kind::containers)},
                                  {data + "/applications/appimagekit_0af1-Viewer.desktop", certain(Kind::applicationSupport)},
                                  {data + "/applications/org.example.Viewer.desktop", certain(Kind::applicationSupport)},
                                  {config + "/Viewer", possible(Kind::preferences)},
                              }));

    // A desktop entry of its own with a one-word ID.
    make(home + "/bin/notes");
    make(data + "/applications/notes.desktop", desktopEntry(home + "/bin/notes"));
    for (const std::string& place : {config, cache, data, state}) make(place + "/notes/");
    make(home + "/.var/app/notes/");
    make(config + "/autostart/notes.desktop", desktopEntry(home + "/bin/notes --hidden"));
    const auto notes = AppBundleInfo::read(data + "/applications/notes.desktop");
    ASSERT_TRUE(notes);
    ASSERT_EQ(notes->bundleID, "notes");
    EXPECT_EQ(found(*notes), (Found{
                                 {config + "/notes", possible(Kind::preferences)},
                                 {cache + "/notes", possible(Kind::caches)},
                                 {data + "/notes", possible(Kind::applicationSupport)},
                                 {state + "/notes", possible(Kind::logs)},
                                 {home + "/.var/app/notes", possible(Kind::containers)},
                                 {config + "/autostart/notes.desktop", possible(Kind::launchItems)},
                             }));
}

// A leftover holding a mount point (a bind mount of a big folder, of one big file):
// still listed, sized by what lies on its own mount alone.
TEST_F(LeftoverSearchTest, TheSizeOfALeftoverStopsAtMountPoints) {
    make(data + "/org.example.Foo/own", std::string(100'000, 'x'));
    make(data + "/org.example.Foo/mnt/");
    make(data + "/org.example.Foo/file.bin");
    make(dir / "big/huge", std::string(4 << 20, 'x'));
    const std::string outcome = inChild([&]() -> std::string {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "no mount namespace";
        if (mount((dir / "big").c_str(), (data + "/org.example.Foo/mnt").c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount((dir / "big/huge").c_str(), (data + "/org.example.Foo/file.bin").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return "no bind mount";
        struct stat own {};
        lstat((data + "/org.example.Foo/own").c_str(), &own);
        for (const Remnant& r : findRemnants(app, roots)) {
            if (r.url != data + "/org.example.Foo") continue;
            if (r.size != static_cast<std::int64_t>(own.st_blocks) * 512) return "sized " + std::to_string(r.size);
            return {};
        }
        return "not listed";
    });
    EXPECT_EQ(outcome, "");
}
