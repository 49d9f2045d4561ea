#include "startup/StartupItemsModel.h"

#include "ScriptedRunner.h"
#include "StartupTestSupport.h"
#include "common/ManualBackground.h"
#include "common/StrictState.h"
#include "runtime/Executor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>


using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;
using Field = StartupItemsModel::Field;

namespace {

class StartupItemsModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        agents = dir / "Library/LaunchAgents";
        std::filesystem::create_directories(agents);
        folders.launchFolders = {{agents, Source::userAgent}, {dir / "LaunchDaemons", Source::systemDaemon}};
        folders.applicationFolders = {dir / "Applications"};
        StartupItemsModel::Environment environment;
        environment.scanner.runner = &runner;
        environment.adminScript = [this](const std::string& script, const std::string& prompt) {
            adminScripts.push_back({script, prompt});
            if (adminFailure) throw *adminFailure;
            return std::string();
        };
        environment.executor = background.executor;
        model = std::make_unique<StartupItemsModel>(std::move(environment), folders);
        QObject::connect(model.get(), &StartupItemsModel::changed, [this](quint64 fields) { notices.push_back(fields); });
        runner.succeed(osascript + LoginItemsScript::listScript(), "");
    }
    void run(std::vector<std::size_t> order = {}) { background.run(std::move(order)); }
    void settle() { background.runAll(); }
    void loadNow() {
        model->refresh();
        run();
    }
    StartupItem find(const std::string& label) {
        for (const StartupItem& item : model->items())
            if (item.label == label) return item;
        ADD_FAILURE() << "no item " << label;
        return {};
    }

    const std::string osascript = "/usr/bin/osascript -e ";
    TempFolder dir;
    std::string agents;
    StartupItemsScanner::Folders folders;
    ScriptedRunner runner;
    struct Script {
        std::string script, prompt;
    };
    std::vector<Script> adminScripts;
    std::optional<AdminScript::Failure> adminFailure;
    ManualBackground background;
    std::vector<quint64> notices;
    std::unique_ptr<StartupItemsModel> model;
};

} // namespace

TEST_F(StartupItemsModelTest, OnlyTheNewestLoadIsApplied) {
    writePlist(agents + "/one.plist", plistKey("Label", "com.one"));
    model->refresh();
    EXPECT_TRUE(model->isLoading());
    EXPECT_FALSE(model->hasLoaded());
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::isLoading)});
    model->refresh();
    ASSERT_EQ(background.size(), 4u);
    EXPECT_EQ(model->refreshGeneration(), 2);

    // The first load finishes first: dropped, still loading.
    run({0, 1});
    EXPECT_TRUE(model->isLoading());
    EXPECT_TRUE(model->items().empty());

    writePlist(agents + "/two.plist", plistKey("Label", "com.two"));
    notices.clear();
    run();
    EXPECT_FALSE(model->isLoading());
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_EQ(model->items().size(), 2u);
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::items) |
                                            StartupItemsModel::bit(Field::isLoading) |
                                            StartupItemsModel::bit(Field::hasLoaded)});

    // The newer load finishing before an older one keeps its result.
    model->refresh();
    model->refresh();
    run({2, 3});
    writePlist(agents + "/three.plist", plistKey("Label", "com.three"));
    run();
    EXPECT_EQ(model->items().size(), 2u);
    EXPECT_FALSE(model->isLoading());

    // An unchanged list is no change.
    notices.clear();
    std::filesystem::remove(agents + "/three.plist");
    loadNow();
    EXPECT_EQ(notices, (std::vector<quint64>{StartupItemsModel::bit(Field::isLoading),
                                             StartupItemsModel::bit(Field::isLoading)}));
}

TEST_F(StartupItemsModelTest, LoginItemsThatCannotBeReadLeaveTheLaunchJobs) {
    writePlist(agents + "/job.plist", plistKey("Label", "com.job"));
    runner.answer(osascript + LoginItemsScript::listScript(), {1, {}, "System Events got an error: -1743"});
    loadNow();
    EXPECT_EQ(model->loginItemsError(), LoginItemsScript::Failure::notAuthorized().errorDescription());
    ASSERT_EQ(model->items().size(), 1u);

    runner.succeed(osascript + LoginItemsScript::listScript(), "Zed\t/gone/Zed.app\tfalse\nalpha\t/gone/a\ttrue\n");
    loadNow();
    EXPECT_FALSE(model->loginItemsError());
    ASSERT_EQ(model->items().size(), 3u);
    EXPECT_EQ(model->items()[0].name, "alpha"); // login items first, by lower-cased name
    EXPECT_EQ(model->items()[1].name, "Zed");
    EXPECT_EQ(model->itemsInSource(Source::loginItem).size(), 2u);
    EXPECT_EQ(model->leftoverCount(), 2);

    // No osascript on this machine: its start error is the text shown.
    runner.answers.erase(osascript + LoginItemsScript::listScript());
    loadNow();
    EXPECT_EQ(model->loginItemsError(), "No such file or directory");
}

TEST_F(StartupItemsModelTest, WorkThatThrowsEndsAsAFailureTheUserSees) {
    writePlist(agents + "/job.plist", plistKey("Label", "com.job"));
    runner.throwing = "Out of memory.";
    loadNow();
    EXPECT_FALSE(model->isLoading()) << "the load ends";
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_TRUE(model->items().empty());
    EXPECT_EQ(model->loginItemsError(), "Out of memory.");

    runner.throwing.clear();
    loadNow();
    const StartupItem job = find("com.job");
    runner.throwing = "Out of memory.";
    model->setEnabled(job, false);
    run({0});
    EXPECT_TRUE(model->busy().empty());
    EXPECT_EQ(model->actionError(), "Out of memory.");
    EXPECT_TRUE(model->isLoading()) << "refreshed, as after any change";
}

TEST(StartupItemsModelOrder, SourceThenLowerCasedNameThenId) {
    const auto item = [](Source source, std::string name, std::string url) {
        StartupItem i;
        i.source = source;
        i.name = std::move(name);
        i.url = std::move(url);
        return i;
    };
    std::vector<StartupItem> items{item(Source::bundled, "A", "/1"), item(Source::userAgent, "zeta", "/2"),
                                   item(Source::userAgent, "Alpha", "/3"), item(Source::userAgent, "alpha", "/0"),
                                   item(Source::loginItem, "Z", "/4")};
    StartupItemsModel::sort(items);
    std::vector<std::string> urls;
    for (const auto& i : items) urls.push_back(i.url);
    EXPECT_EQ(urls, (std::vector<std::string>{"/4", "/0", "/3", "/2", "/1"}));
    EXPECT_TRUE(StartupItemsModel::order(items[1], items[2]));
    EXPECT_FALSE(StartupItemsModel::order(items[1], items[1]));
}

TEST_F(StartupItemsModelTest, AgentTogglesRunInTheBackgroundWhileBusy) {
    writePlist(agents + "/job.plist", plistKey("Label", "com.job"));
    loadNow();
    const StartupItem job = find("com.job");
    const std::string target = userLaunchDomain() + "/com.job";
    runner.succeed("/bin/launchctl disable " + target);
    runner.calls.clear();
    notices.clear();

    model->setEnabled(job, false);
    EXPECT_EQ(model->busy(), std::set<std::string>{job.id()});
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::busy)});
    EXPECT_TRUE(runner.calls.empty());
    run({0});
    EXPECT_EQ(runner.calls,
              (std::vector<std::string>{"/bin/launchctl disable " + target, "/bin/launchctl bootout " + target}));
    EXPECT_TRUE(model->busy().empty());
    EXPECT_FALSE(model->actionError()); // the bootout's failure is no failure
    EXPECT_TRUE(model->isLoading());    // refreshed
    run();

    // The first command fails: its error text, as it came, and no second command.
    runner.answer("/bin/launchctl enable " + target, {5, {}, "Operation not permitted\n"});
    runner.calls.clear();
    model->setEnabled(job, true);
    run({0});
    EXPECT_EQ(runner.calls, std::vector<std::string>{"/bin/launchctl enable " + target});
    EXPECT_EQ(model->actionError(), "Operation not permitted\n");
    run();

    // A failure without text shows nothing.
    settle();
    model->setActionError(std::nullopt);
    runner.answer("/bin/launchctl enable " + target, {1, {}, ""});
    model->setEnabled(job, true);
    settle();
    EXPECT_FALSE(model->actionError());

    // Turning on bootstraps the list by its path.
    runner.succeed("/bin/launchctl enable " + target);
    runner.calls.clear();
    model->setEnabled(job, true);
    run({0});
    EXPECT_EQ(runner.calls.back(), "/bin/launchctl bootstrap " + userLaunchDomain() + " " + agents + "/job.plist");
}

TEST_F(StartupItemsModelTest, ItemsThatCannotChangeAreLeftAlone) {
    StartupItem login;
    login.source = Source::loginItem;
    login.url = "/Applications/A.app";
    StartupItem bundled = login;
    bundled.source = Source::bundled;
    bundled.label = "com.helper";
    StartupItem unlabelled = login;
    unlabelled.source = Source::userAgent;
    for (const StartupItem& item : {login, bundled, unlabelled}) model->setEnabled(item, false);
    model->remove(bundled);
    EXPECT_EQ(model->refreshGeneration(), 0);
    EXPECT_TRUE(background.empty() && notices.empty() && runner.calls.empty() && adminScripts.empty());
}

TEST_F(StartupItemsModelTest, DaemonTogglesAskForThePasswordOnTheGuiThread) {
    StartupItem daemon;
    daemon.source = Source::systemDaemon;
    daemon.name = "Backup “Pro”";
    daemon.label = "com.maker.it's";
    daemon.url = "/Library/LaunchDaemons/it's here.plist";

    model->setEnabled(daemon, true);
    ASSERT_EQ(adminScripts.size(), 1u);
    EXPECT_EQ(adminScripts[0].script, "/bin/launchctl enable 'system/com.maker.it'\\''s'; /bin/launchctl bootstrap "
                                      "system '/Library/LaunchDaemons/it'\\''s here.plist' 2>/dev/null; exit 0");
    EXPECT_EQ(adminScripts[0].prompt, "Plenwick needs your password to turn on “Backup “Pro””.");
    EXPECT_TRUE(model->busy().empty());
    EXPECT_EQ(model->refreshGeneration(), 1);

    model->setEnabled(daemon, false);
    EXPECT_EQ(adminScripts[1].script, "/bin/launchctl disable 'system/com.maker.it'\\''s'; /bin/launchctl bootout "
                                      "'system/com.maker.it'\\''s' 2>/dev/null; exit 0");
    EXPECT_EQ(adminScripts[1].prompt, "Plenwick needs your password to turn off “Backup “Pro””.");

    adminFailure = AdminScript::Failure::cancelled();
    model->setEnabled(daemon, false);
    EXPECT_EQ(model->refreshGeneration(), 2); // a dismissed prompt changes nothing
    EXPECT_FALSE(model->actionError());

    adminFailure = AdminScript::Failure::failed("Authorization failed");
    model->setEnabled(daemon, false);
    EXPECT_EQ(model->actionError(), "Authorization failed");
    EXPECT_EQ(model->refreshGeneration(), 3);
}

TEST(StartupItemsModelScripts, LabelsAndPathsReachTheToolWhole) {
    TempFolder dir;
    const std::string stub = dir / "launchctl";
    const std::string log = dir / "log";
    writeFile(stub, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> '" + log + "'; done\necho >> '" + log +
                        "'\nexit 3\n");
    chmod(stub.c_str(), 0755);
    const std::string label = "com.odd.'quoted' \"x\" $(touch " + (dir / "pwned") + ") `id`;\\";
    const std::string plist = dir / "it's a job.plist";
    for (bool enabled : {true, false}) {
        const auto result = runProcess("/bin/sh", {"-c", StartupItemsModel::daemonToggleScript(label, plist, enabled, stub)});
        EXPECT_EQ(result.status, 0); // the script always ends well
    }
    EXPECT_EQ(readFile(log), "[enable][system/" + label + "]\n[bootstrap][system][" + plist + "]\n" +
                                 "[disable][system/" + label + "]\n[bootout][system/" + label + "]\n");
    EXPECT_FALSE(existsNoFollow(dir / "pwned"));

    // A tool path that needs quoting is quoted too.
    const std::string spaced = dir / "my tools";
    std::filesystem::create_directories(spaced);
    std::filesystem::copy_file(stub, spaced + "/launchctl");
    std::filesystem::remove(log);
    runProcess("/bin/sh", {"-c", StartupItemsModel::daemonToggleScript("l", "p", false, spaced + "/launchctl")});
    EXPECT_EQ(readFile(log), "[disable][system/l]\n[bootout][system/l]\n");
}

TEST_F(StartupItemsModelTest, RemovingLoginItemsAndLaunchJobs) {
    StartupItem login;
    login.source = Source::loginItem;
    login.name = "Say \"Hi\"";
    login.url = "/Applications/Hi.app";
    runner.answer(osascript + LoginItemsScript::deleteScript(login.name), {1, {}, "execution error: (-1743)"});
    model->remove(login);
    EXPECT_EQ(model->busy(), std::set<std::string>{"0:/Applications/Hi.app"});
    run({0});
    EXPECT_EQ(runner.calls.front(),
              "/usr/bin/osascript -e tell application \"System Events\" to delete login item \"Say \\\"Hi\\\"\"");
    EXPECT_EQ(model->actionError(), LoginItemsScript::Failure::notAuthorized().errorDescription());
    EXPECT_TRUE(model->busy().empty());
    EXPECT_EQ(model->refreshGeneration(), 1);
    run();

    // A user agent's definition goes to the Trash after its job is unloaded (the user's
    // own agents: those in the home folder's Library).
    model->setActionError(std::nullopt);
    const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    writePlist(agents + "/job.plist", plistKey("Label", "com.job"));
    loadNow();
    runner.calls.clear();
    model->remove(find("com.job"));
    EXPECT_FALSE(existsNoFollow(agents + "/job.plist"));
    EXPECT_TRUE(existsNoFollow(dir / "data/Trash/files/job.plist"));
    setenv("HOME", savedHome.c_str(), 1);
    ASSERT_FALSE(runner.calls.empty());
    EXPECT_EQ(runner.calls.front(), "/bin/launchctl bootout " + userLaunchDomain() + " " + agents + "/job.plist");
    EXPECT_FALSE(model->actionError());
    EXPECT_TRUE(model->isLoading());
    run();
    EXPECT_TRUE(model->items().empty());

    // A Trash that can't be made: one line per failed file.
    writeFile(dir / "blocked", "a file where the data folder should be");
    setenv("XDG_DATA_HOME", (dir / "blocked").c_str(), 1);
    writePlist(agents + "/other.plist", plistKey("Label", "com.other"));
    loadNow();
    model->remove(find("com.other"));
    ASSERT_TRUE(model->actionError());
    EXPECT_EQ(model->actionError()->rfind("other.plist: ", 0), 0u) << *model->actionError();
    unsetenv("XDG_DATA_HOME");
}

TEST(StartupItemsModelThreads, LoadsOnWorkerThreadsAndOutlivesNothing) {
    TempFolder dir;
    writePlist(dir / "LaunchAgents/a.plist", plistKey("Label", "com.a"));
    ScriptedRunner runner;
    auto pool = std::make_shared<ThreadPoolExecutor>(2);
    StartupItemsModel::Environment environment;
    environment.scanner.runner = &runner;
    environment.executor = pool;
    StartupItemsScanner::Folders folders;
    folders.launchFolders = {{dir / "LaunchAgents", Source::userAgent}};

    auto model = std::make_unique<StartupItemsModel>(environment, folders);
    model->refresh();
    model->refresh();
    pool->waitForDone();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_FALSE(model->isLoading());
    ASSERT_EQ(model->items().size(), 1u);
    EXPECT_EQ(model->loginItemsError(), "No such file or directory");

    // A model gone before its work returns: the results are dropped.
    model->refresh();
    model.reset();
    pool->waitForDone();
    QCoreApplication::sendPostedEvents();
}

TEST_F(StartupItemsModelTest, AnOperationStartedWhileItNotifiesIsReported) {
    CountedReentries reports;
    QObject::connect(model.get(), &StartupItemsModel::changed, [this] {
        if (model->actionError() == "first") model->setActionError(std::string("second"));
    });
    model->setActionError(std::string("first"));
    EXPECT_EQ(reports.count(), 1);
    EXPECT_EQ(model->actionError(), "second");
}
