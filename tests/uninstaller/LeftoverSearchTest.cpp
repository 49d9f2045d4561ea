#include "uninstaller/LeftoverSearch.h"

#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;
using Kind = Remnant::Kind;
using Confidence = Remnant::Confidence;

namespace {

// A user's Library, a system Library and an app "Example App" (executable "Example",
// identifier com.example.app, a nested helper com.other.examplehelper) in a temp folder.
class LeftoverSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(dir.path().c_str(), 0755);
        std::filesystem::create_directories(user);
        std::filesystem::create_directories(system);
        makeBundle(appPath, {{"CFBundleIdentifier", "com.example.app"},
                             {"CFBundleName", "Example App"},
                             {"CFBundleExecutable", "Example"}});
        makeBundle(appPath + "/Contents/Library/LoginItems/Helper.app",
                   {{"CFBundleIdentifier", "com.other.examplehelper"}});
        app = *AppBundleInfo::read(appPath);
        roots.userLibrary = user;
        roots.systemLibrary = system;
    }

    // Creates a file (with `bytes` bytes) or, for a path ending in "/", a folder.
    void make(const std::string& path, std::size_t bytes = 10) {
        if (path.ends_with("/")) {
            std::filesystem::create_directories(path);
            return;
        }
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writeFile(path, std::string(bytes, 'x'));
    }

    // Kind and confidence by path.
    std::map<std::string, std::pair<Kind, Confidence>> found() const {
        std::map<std::string, std::pair<Kind, Confidence>> out;
        for (const Remnant& r : findRemnants(app, roots)) out[r.url] = {r.kind, r.confidence};
        return out;
    }

    TempFolder dir;
    std::string user = dir / "home/Library", system = dir / "sys/Library";
    std::string appPath = dir / "Applications/Example App.app";
    AppBundleInfo app;
    RemnantSearchRoots roots;
};

const std::pair<Kind, Confidence> certain(Kind kind) { return {kind, Confidence::certain}; }
const std::pair<Kind, Confidence> possible(Kind kind) { return {kind, Confidence::possible}; }

} // namespace

TEST_F(LeftoverSearchTest, MatchesByIdentifierAndByName) {
    make(user + "/Preferences/com.example.app.plist");
    make(user + "/Preferences/COM.EXAMPLE.APP.HELPER.plist");
    make(user + "/Preferences/Example App.plist");           // preferences match by identifier only
    make(user + "/Application Support/example app/");        // own name, any case
    make(user + "/Application Support/Example/");            // the executable's name only
    make(user + "/Application Support/com.example.application/");
    make(user + "/Logs/Example App.log");                    // the whole name is compared
    make(user + "/Caches/Example App");
    make(user + "/Containers/com.other.examplehelper/");     // a nested bundle's identifier
    make(user + "/Group Containers/ABCDE12345.com.example.app/");
    make(user + "/Group Containers/group.com.example.app/");
    make(user + "/Group Containers/abcde12345.com.example.app/");
    make(user + "/Group Containers/ABCDE1234.com.example.app/");
    make(user + "/Saved Application State/com.example.app.savedState/");
    make(user + "/Cookies/com.example.app.binarycookies");
    make(system + "/Caches/com.example.app/");
    make(system + "/Containers/com.example.app/");           // containers: the user's Library only
    make(system + "/Application Support/Example App/");

    const auto result = found();
    const std::map<std::string, std::pair<Kind, Confidence>> expected{
        {user + "/Preferences/com.example.app.plist", certain(Kind::preferences)},
        {user + "/Preferences/COM.EXAMPLE.APP.HELPER.plist", certain(Kind::preferences)},
        {user + "/Application Support/example app", certain(Kind::applicationSupport)},
        {user + "/Application Support/Example", possible(Kind::applicationSupport)},
        {user + "/Caches/Example App", certain(Kind::caches)},
        {user + "/Containers/com.other.examplehelper", certain(Kind::containers)},
        {user + "/Group Containers/ABCDE12345.com.example.app", certain(Kind::groupContainers)},
        {user + "/Group Containers/group.com.example.app", certain(Kind::groupContainers)},
        {user + "/Saved Application State/com.example.app.savedState", certain(Kind::savedState)},
        {user + "/Cookies/com.example.app.binarycookies", certain(Kind::webData)},
        {system + "/Caches/com.example.app", certain(Kind::caches)},
        {system + "/Application Support/Example App", certain(Kind::applicationSupport)},
    };
    EXPECT_EQ(result, expected);
}

TEST_F(LeftoverSearchTest, TheSystemsOwnAppsAreNeverSearched) {
    make(user + "/Preferences/com.apple.Safari.plist");
    app.bundleID = "com.apple.Safari";
    app.relatedBundleIDs.clear();
    EXPECT_TRUE(findRemnants(app, roots).empty());

    make(user + "/Preferences/com.applesoft.x.plist");
    app.bundleID = "com.applesoft.x";
    EXPECT_EQ(found().size(), 1u);
}

TEST_F(LeftoverSearchTest, AnIdentifierOfOnePartMatchesNothingByIdentifier) {
    // Another app's data that a broad identifier would claim, and pre-tick.
    make(user + "/Preferences/com.other.app.plist");
    make(user + "/Caches/com/");
    make(user + "/Containers/org.other.tool/");
    make(user + "/Group Containers/group.com.other/");
    PlistDict associated;
    associated.string("Label", "com.other.agent").strings("AssociatedBundleIdentifiers", {"com"});
    associated.write(user + "/LaunchAgents/com.other.agent.plist", PlistFormat::xml);
    make(user + "/Application Support/Example App/"); // the app's own name still counts

    app.bundleID = "com";
    app.relatedBundleIDs = {"org.", ".org", ""};
    const std::map<std::string, std::pair<Kind, Confidence>> expected{
        {user + "/Application Support/Example App", certain(Kind::applicationSupport)},
    };
    EXPECT_EQ(found(), expected);
}

TEST_F(LeftoverSearchTest, LaunchJobsBelongByIdentifierLabelOrProgram) {
    PlistDict associated;
    associated.string("Label", "org.unrelated").strings("AssociatedBundleIdentifiers", {"com.example.app"});
    associated.write(user + "/LaunchAgents/unrelated.plist", PlistFormat::binary);
    PlistDict labelled;
    labelled.string("Label", "com.example.app.agent");
    labelled.write(user + "/LaunchAgents/agent.plist", PlistFormat::xml);
    PlistDict inside;
    inside.strings("ProgramArguments", {appPath + "/Contents/MacOS/Example", "--background"});
    inside.write(system + "/LaunchAgents/runs-the-app.plist", PlistFormat::xml);
    PlistDict besides;
    besides.string("Program", appPath + "x/Contents/MacOS/Example"); // shares the path only as a prefix
    besides.write(system + "/LaunchAgents/besides.plist", PlistFormat::xml);
    PlistDict climbing;
    climbing.string("Program", appPath + "/../../sys/tool"); // starts with the bundle, leads outside it
    climbing.write(system + "/LaunchAgents/climbing.plist", PlistFormat::xml);
    make(user + "/LaunchAgents/com.example.app.plist");   // by name, unreadable content
    make(user + "/LaunchAgents/com.example.app.PLIST");   // the extension is exact
    make(user + "/LaunchDaemons/com.example.app.plist");  // never read in the user's Library
    PlistDict other;
    other.string("Label", "org.other").string("Program", "/usr/bin/other");
    other.write(system + "/LaunchDaemons/other.plist", PlistFormat::binary);

    const std::map<std::string, std::pair<Kind, Confidence>> expected{
        {user + "/LaunchAgents/unrelated.plist", certain(Kind::launchItems)},
        {user + "/LaunchAgents/agent.plist", certain(Kind::launchItems)},
        {user + "/LaunchAgents/com.example.app.plist", certain(Kind::launchItems)},
        {system + "/LaunchAgents/runs-the-app.plist", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(), expected);
}

TEST_F(LeftoverSearchTest, AnAppInTheTrashFindsTheJobsOfItsFormerPlaceAsPossibleOnly) {
    // The bundle now lies in a Trash; a job still runs the program from where it was.
    const std::string former = appPath, trashed = dir / "Trash/files/Example App.app";
    std::filesystem::create_directories(dir / "Trash/files");
    std::filesystem::rename(former, trashed);
    app = *AppBundleInfo::read(trashed);
    PlistDict updater;
    updater.string("Label", "org.vendor.updater").strings("ProgramArguments", {former + "/Contents/MacOS/Example"});
    updater.write(user + "/LaunchAgents/org.vendor.updater.plist", PlistFormat::xml);
    PlistDict labelled; // certain by its label, wherever its program is
    labelled.string("Label", "com.example.app.agent").string("Program", former + "/Contents/MacOS/Example");
    labelled.write(user + "/LaunchAgents/agent.plist", PlistFormat::xml);
    PlistDict neighbour;
    neighbour.string("Program", former + "-2/Contents/MacOS/Example");
    neighbour.write(user + "/LaunchAgents/neighbour.plist", PlistFormat::xml);

    EXPECT_EQ(found(), (std::map<std::string, std::pair<Kind, Confidence>>{
                           {user + "/LaunchAgents/agent.plist", certain(Kind::launchItems)}}));
    std::map<std::string, std::pair<Kind, Confidence>> withFormer;
    for (const Remnant& r : findRemnants(app, roots, {}, former)) withFormer[r.url] = {r.kind, r.confidence};
    EXPECT_EQ(withFormer, (std::map<std::string, std::pair<Kind, Confidence>>{
                              {user + "/LaunchAgents/agent.plist", certain(Kind::launchItems)},
                              {user + "/LaunchAgents/org.vendor.updater.plist", possible(Kind::launchItems)}}));
}

TEST_F(LeftoverSearchTest, DaemonsBringTheirHelperToolsOnce) {
    const std::string tools = system + "/PrivilegedHelperTools";
    make(tools + "/com.example.tool", 5000);
    make(tools + "/com.example.app.helper", 3000); // also found by its name
    PlistDict daemon;
    daemon.string("Label", "com.example.app.daemon").string("Program", tools + "/com.example.tool");
    daemon.write(system + "/LaunchDaemons/com.example.app.daemon.plist", PlistFormat::binary);
    PlistDict second;
    second.strings("AssociatedBundleIdentifiers", {"com.example.app"})
        .strings("ProgramArguments", {tools + "/./com.example.app.helper"});
    second.write(system + "/LaunchDaemons/second.plist", PlistFormat::xml);
    PlistDict missing;
    missing.string("Label", "com.example.app.gone").string("Program", tools + "/com.example.gone");
    missing.write(system + "/LaunchDaemons/gone.plist", PlistFormat::xml);

    const std::map<std::string, std::pair<Kind, Confidence>> expected{
        {tools + "/com.example.tool", certain(Kind::helperTools)},
        {tools + "/com.example.app.helper", certain(Kind::helperTools)},
        {system + "/LaunchDaemons/com.example.app.daemon.plist", certain(Kind::launchItems)},
        {system + "/LaunchDaemons/second.plist", certain(Kind::launchItems)},
        {system + "/LaunchDaemons/gone.plist", certain(Kind::launchItems)},
    };
    EXPECT_EQ(found(), expected);
}

TEST_F(LeftoverSearchTest, HelperToolsNeverLeadOutOfTheirFolder) {
    const std::string tools = system + "/PrivilegedHelperTools";
    make(tools + "/");
    make(dir / "etc/sudoers");
    make(dir / "outside/tool");
    std::filesystem::create_directory_symlink(dir / "outside", tools + "/linked");
    const std::vector<std::string> escapes{
        tools + "/../../../etc/sudoers",           // climbs out
        tools + "/../PrivilegedHelperTools/x",     // climbs out and back: refused all the same
        tools + "/linked/tool",                    // a linked folder on the way
        "sys/Library/PrivilegedHelperTools/tool",  // relative
        tools,                                     // the folder itself
        tools + "/",
    };
    make(tools + "/x");
    for (std::size_t i = 0; i < escapes.size(); ++i) {
        const std::string plist = system + "/LaunchDaemons/escape" + std::to_string(i) + ".plist";
        PlistDict job;
        job.string("Label", "com.example.app.escape" + std::to_string(i)).string("Program", escapes[i]);
        job.write(plist, PlistFormat::xml);
        EXPECT_FALSE(helperToolOfJob(*LaunchJob::fromFile(plist), tools)) << escapes[i];
    }
    for (const Remnant& r : findRemnants(app, roots)) {
        EXPECT_EQ(r.kind, Kind::launchItems) << r.url;
        EXPECT_TRUE(r.url.starts_with(system + "/LaunchDaemons/")) << r.url;
    }

    EXPECT_EQ(standardizedPathWithoutParentSteps("/a//b/./c/"), "/a/b/c");
    EXPECT_FALSE(standardizedPathWithoutParentSteps("/a/b/../c"));
    EXPECT_FALSE(standardizedPathWithoutParentSteps("a/b"));
}

TEST_F(LeftoverSearchTest, CrashReportsMatchTheExecutableWithASeparator) {
    const std::string reports = user + "/Logs/DiagnosticReports";
    make(reports + "/Example_2024-01-01.ips");
    make(reports + "/Example-2024-01-02.crash");
    make(reports + "/Examples_2024-01-03.ips");
    make(reports + "/example_2024-01-04.ips"); // case counts
    make(system + "/Logs/DiagnosticReports/Example_2024-01-05.ips");
    const std::map<std::string, std::pair<Kind, Confidence>> expected{
        {reports + "/Example_2024-01-01.ips", possible(Kind::crashReports)},
        {reports + "/Example-2024-01-02.crash", possible(Kind::crashReports)},
    };
    EXPECT_EQ(found(), expected);

    app.executableName = "Ex";
    make(reports + "/Ex_2024.ips");
    EXPECT_TRUE(found().empty());
}

TEST_F(LeftoverSearchTest, NestedFindingsAndTheAppItselfAreDropped) {
    const std::string tools = system + "/PrivilegedHelperTools";
    make(tools + "/com.example.app/tool");
    PlistDict daemon;
    daemon.string("Label", "com.example.app").string("Program", tools + "/com.example.app/tool");
    daemon.write(system + "/LaunchDaemons/com.example.app.plist", PlistFormat::xml);
    EXPECT_EQ(found().count(tools + "/com.example.app/tool"), 0u);
    EXPECT_EQ(found().count(tools + "/com.example.app"), 1u);

    // An app kept inside a searched folder is never its own leftover, nor anything in it.
    const std::string kept = user + "/Application Support/com.example.app";
    makeBundle(kept, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleName", "Example App"}});
    app = *AppBundleInfo::read(kept);
    make(user + "/Application Support/Example App/");
    const auto result = found();
    EXPECT_EQ(result.count(kept), 0u);
    EXPECT_EQ(result.count(user + "/Application Support/Example App"), 1u);
}

TEST_F(LeftoverSearchTest, SortsByKindThenSizeAndSizesTrees) {
    make(user + "/Caches/com.example.app/a", 100'000);
    make(user + "/Caches/com.example.app/b", 100'000);
    make(user + "/Caches/Example App", 10);
    make(user + "/Preferences/com.example.app.plist", 50'000);
    make(user + "/Application Support/Example App/", 0);
    const auto list = findRemnants(app, roots);
    std::vector<std::string> order;
    for (const Remnant& r : list) order.push_back(r.url.substr(user.size()));
    EXPECT_EQ(order, (std::vector<std::string>{"/Application Support/Example App", "/Preferences/com.example.app.plist",
                                               "/Caches/com.example.app", "/Caches/Example App"}));
    EXPECT_GE(list[2].size, 200'000);
    EXPECT_EQ(list[0].size, 0);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(findRemnants(app, roots, stop.get_token()).empty());
}

TEST_F(LeftoverSearchTest, NeedsAdminFollowsTheParentFolder) {
    make(user + "/Preferences/com.example.app.plist");
    make(system + "/LaunchDaemons/com.example.app.plist");
    chmod((dir / "home").c_str(), 0777);
    chmod(user.c_str(), 0777);
    chmod((user + "/Preferences").c_str(), 0777);
    chmod((user + "/Preferences/com.example.app.plist").c_str(), 0444);
    chmod((dir / "Applications").c_str(), 0755);
    const std::string outcome = asNobody([&]() -> std::string {
        std::map<std::string, bool> admin;
        for (const Remnant& r : findRemnants(app, roots)) admin[r.url] = r.needsAdmin;
        if (admin.size() != 2) return "expected two remnants, found " + std::to_string(admin.size());
        if (admin[user + "/Preferences/com.example.app.plist"]) return "a file in the user's folder needs no password";
        if (!admin[system + "/LaunchDaemons/com.example.app.plist"]) return "a daemon in the system's folder needs one";
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

    EXPECT_EQ(stripGroupPrefix("ABCDE12345.com.example.app"), "com.example.app");
    EXPECT_EQ(stripGroupPrefix("group.com.example.app"), "com.example.app");
    EXPECT_FALSE(stripGroupPrefix("Group.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("abcde12345.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("ABCDE123456.com.example.app"));
    EXPECT_FALSE(stripGroupPrefix("noDotHere"));
}
