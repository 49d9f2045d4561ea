#include "uninstaller/LeftoverSearch.h"

#include "base/Utf8.h"
#include "common/AppImageFixture.h"
#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
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
    make(system + "/etc/xdg/autostart/org.example.Foo.desktop");
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

    const Found expected{
        {config + "/Foo", certain(Kind::preferences)},
        {config + "/org.example.Foo.conf", certain(Kind::preferences)},
        {data + "/Foo", certain(Kind::applicationSupport)},
        {cache + "/foo", certain(Kind::caches)},
        {cache + "/foo-engine", possible(Kind::caches)},
        {state + "/FOO", certain(Kind::logs)},
        {home + "/.var/app/org.example.Foo", certain(Kind::containers)},
        {home + "/.foo", certain(Kind::applicationSupport)},
        {home + "/.foorc", certain(Kind::applicationSupport)},
        {data + "/applications/org.example.Foo.desktop", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/48x48/apps/org.example.Foo.png", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/scalable/apps/org.example.Foo.svg", certain(Kind::applicationSupport)},
        {config + "/autostart/org.example.Foo.desktop", certain(Kind::launchItems)},
        {config + "/autostart/tray.desktop", certain(Kind::launchItems)},
        {config + "/systemd/user/org.example.Foo.sync.service", certain(Kind::launchItems)},
        {config + "/systemd/user/sync.service", certain(Kind::launchItems)},
        {system + "/etc/xdg/autostart/org.example.Foo.desktop", certain(Kind::launchItems)},
        {system + "/etc/systemd/system/foo-daemon.service", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(), expected);

    // Without a system root only the user's folders are searched.
    roots.systemRoot.reset();
    const Found userOnly = found();
    EXPECT_EQ(userOnly.size(), expected.size() - 2);
    EXPECT_EQ(userOnly.count(system + "/etc/xdg/autostart/org.example.Foo.desktop"), 0u);
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
        {dir / "cfg/Foo", certain(Kind::preferences)},
        {dir / "cfg/autostart/org.example.Foo.desktop", certain(Kind::launchItems)},
        {dir / "dat/applications/org.example.Foo.desktop", certain(Kind::applicationSupport)},
        {dir / "cch/foo", certain(Kind::caches)},
        {state + "/Foo", certain(Kind::logs)},
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
    EXPECT_EQ(found(bar), (Found{{cache + "/Bar", certain(Kind::caches)}}));
}

TEST_F(LeftoverSearchTest, OneWordIdentifiersNameTheirOwnEntriesOnly) {
    AppBundleInfo word{appPath, "Foo Viewer", "fooview", std::nullopt, std::nullopt, {"data", "com"}};
    make(data + "/applications/fooview.desktop");
    make(data + "/icons/hicolor/64x64/apps/FooView.png");
    make(config + "/fooview/");
    make(config + "/systemd/user/fooview.service");
    make(config + "/fooview.settings.json");              // more than one extension
    make(data + "/applications/fooviewer.desktop");
    make(data + "/applications/data.desktop");            // generic words claim nothing
    make(data + "/applications/com.other.app.desktop");   // nor does a top-level domain
    const Found expected{
        {data + "/applications/fooview.desktop", certain(Kind::applicationSupport)},
        {data + "/icons/hicolor/64x64/apps/FooView.png", certain(Kind::applicationSupport)},
        {config + "/fooview", certain(Kind::preferences)},
        {config + "/systemd/user/fooview.service", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(word), expected);

    EXPECT_TRUE(entryMatchesBundleIDs("fooview.desktop", {"fooview"}));
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
    make(system + "/etc/systemd/system/org.example.Foo.service");
    make(system + "/etc/xdg/autostart/org.example.Foo.desktop");
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
        if (!admin[system + "/etc/systemd/system/org.example.Foo.service"]) return "a system unit needs one";
        if (!admin[system + "/etc/xdg/autostart/org.example.Foo.desktop"]) return "a system autostart entry needs one";
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
