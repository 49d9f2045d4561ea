#include "startup/StartupItemsModel.h"

#include "services/AdminMove.h"

#include "ScriptedRunner.h"
#include "StartupTestSupport.h"
#include "common/ManualBackground.h"
#include "common/StrictState.h"
#include "runtime/Executor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;
using Field = StartupItemsModel::Field;

namespace {

class StartupItemsModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders.userAutostart = dir / "config/autostart";
        folders.systemAutostart = {dir / "xdg/autostart"};
        units = dir / "config/systemd/user";
        folders.userUnits = {{units, Source::userAgent}, {dir / "etc/systemd/user", Source::systemAgent}};
        folders.systemUnits = {{dir / "etc/systemd/system", Source::systemDaemon}};
        std::filesystem::create_directories(units);
        StartupItemsModel::Environment environment;
        environment.scanner.runner = &runner;
        environment.scanner.searchPath = "/bin:/usr/bin";
        environment.adminProgram = [this](const std::string& program, const std::vector<std::string>& arguments,
                                          const std::string& prompt) {
            admin.push_back({{program, arguments}, prompt});
            if (adminFailure) throw *adminFailure;
            // The administrator's removal really removes, as root would.
            if (program == adminMoveProgramPath() && arguments.front() == "--remove")
                std::filesystem::remove(arguments.back());
            return std::string();
        };
        environment.executor = background.executor;
        model = std::make_unique<StartupItemsModel>(std::move(environment), folders);
        QObject::connect(model.get(), &StartupItemsModel::changed, [this](quint64 fields) { notices.push_back(fields); });
    }
    void run(std::vector<std::size_t> order = {}) { background.run(std::move(order)); }
    void loadNow() {
        model->refresh();
        background.runAll();
    }
    StartupItem find(const std::string& label) {
        for (const StartupItem& item : model->items())
            if (item.label == label) return item;
        ADD_FAILURE() << "no item " << label;
        return {};
    }
    void unitState(const std::string& unit, const std::string& state, bool user = true) {
        runner.succeed(std::string("/bin/systemctl") + (user ? " --user" : "") + listFiles + unit,
                       unit + " " + state + " enabled\n");
    }

    TempFolder dir;
    std::string units;
    StartupItemsScanner::Folders folders;
    ScriptedRunner runner;
    struct Admin {
        CommandLine command;
        std::string prompt;
    };
    std::vector<Admin> admin;
    std::optional<AdminScript::Failure> adminFailure;
    ManualBackground background;
    std::vector<quint64> notices;
    std::unique_ptr<StartupItemsModel> model;
};

} // namespace

TEST_F(StartupItemsModelTest, OnlyTheNewestLoadIsApplied) {
    writeAt(folders.userAutostart + "/one.desktop", entryText("One", "true"));
    model->refresh();
    EXPECT_TRUE(model->isLoading());
    EXPECT_FALSE(model->hasLoaded());
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::isLoading)});
    model->refresh();
    ASSERT_EQ(background.size(), 2u);
    EXPECT_EQ(model->refreshGeneration(), 2);

    // The first load finishes first: dropped, still loading.
    run({0});
    EXPECT_TRUE(model->isLoading());
    EXPECT_TRUE(model->items().empty());

    writeAt(folders.userAutostart + "/two.desktop", entryText("Two", "true"));
    notices.clear();
    run();
    EXPECT_FALSE(model->isLoading());
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_EQ(model->items().size(), 2u);
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::items) |
                                            StartupItemsModel::bit(Field::isLoading) |
                                            StartupItemsModel::bit(Field::hasLoaded)});

    // An unchanged list is no change.
    notices.clear();
    loadNow();
    EXPECT_EQ(notices, (std::vector<quint64>{StartupItemsModel::bit(Field::isLoading),
                                             StartupItemsModel::bit(Field::isLoading)}));
}

TEST(StartupItemsModelOrder, SourceThenLowerCasedNameThenId) {
    const auto item = [](Source source, std::string name, std::string url) {
        StartupItem i;
        i.source = source;
        i.name = std::move(name);
        i.url = std::move(url);
        return i;
    };
    std::vector<StartupItem> items{item(Source::systemDaemon, "A", "/1"), item(Source::userAgent, "zeta", "/2"),
                                   item(Source::userAgent, "Alpha", "/3"), item(Source::userAgent, "alpha", "/0"),
                                   item(Source::loginItem, "Z", "/4")};
    StartupItemsModel::sort(items);
    std::vector<std::string> urls;
    for (const auto& i : items) urls.push_back(i.url);
    EXPECT_EQ(urls, (std::vector<std::string>{"/4", "/0", "/3", "/2", "/1"}));
    EXPECT_TRUE(StartupItemsModel::order(items[1], items[2]));
    EXPECT_FALSE(StartupItemsModel::order(items[1], items[1]));
}

TEST_F(StartupItemsModelTest, UserUnitsTurnOffAndOnInTheBackgroundWhileBusy) {
    writeAt(units + "/sync.service", unitText("/bin/true"));
    unitState("sync.service", "enabled");
    loadNow();
    const StartupItem sync = find("sync.service");
    ASSERT_TRUE(sync.canToggle());
    const std::string disable = "/bin/systemctl --user disable --now -- sync.service";
    runner.succeed(disable);
    runner.calls.clear();
    notices.clear();

    model->setEnabled(sync, false);
    EXPECT_EQ(model->busy(), std::set<std::string>{sync.id()});
    EXPECT_EQ(notices, std::vector<quint64>{StartupItemsModel::bit(Field::busy)});
    EXPECT_TRUE(runner.calls.empty()) << "not on the GUI thread";
    run({0});
    EXPECT_EQ(runner.calls, std::vector<std::string>{disable});
    EXPECT_TRUE(model->busy().empty());
    EXPECT_FALSE(model->actionError());
    EXPECT_TRUE(model->isLoading()) << "refreshed";
    unitState("sync.service", "disabled");
    background.runAll();
    EXPECT_EQ(find("sync.service").isDisabled, true);

    // A failure shows the tool's own words; one without words shows nothing.
    runner.answer("/bin/systemctl --user enable --now -- sync.service", {1, {}, "Failed to connect to bus\n"});
    model->setEnabled(find("sync.service"), true);
    background.runAll();
    EXPECT_EQ(model->actionError(), "Failed to connect to bus\n");
    model->setActionError(std::nullopt);
    runner.answer("/bin/systemctl --user enable --now -- sync.service", {1, {}, ""});
    model->setEnabled(find("sync.service"), true);
    background.runAll();
    EXPECT_FALSE(model->actionError());
}

TEST_F(StartupItemsModelTest, SystemServicesChangeThroughTheAdministratorWithArgumentVectors) {
    writeAt(dir / "etc/systemd/system/it's.service", unitText("/bin/true"));
    unitState("it's.service", "enabled", false);
    loadNow();
    const StartupItem daemon = find("it's.service");
    ASSERT_TRUE(daemon.needsPassword());

    model->setEnabled(daemon, false);
    ASSERT_EQ(admin.size(), 1u);
    EXPECT_EQ(admin[0].command, (CommandLine{"/bin/systemctl", {"disable", "--now", "--", "it's.service"}}));
    EXPECT_EQ(admin[0].prompt, "Plenwick needs your password to turn off “it's.service”.");
    EXPECT_TRUE(model->busy().empty()) << "the window waits for the password instead";
    EXPECT_EQ(model->refreshGeneration(), 2);

    adminFailure = AdminScript::Failure::cancelled();
    model->setEnabled(daemon, true);
    EXPECT_EQ(admin.back().command.arguments[0], "enable");
    EXPECT_EQ(model->refreshGeneration(), 2) << "a dismissed prompt changes nothing";
    EXPECT_FALSE(model->actionError());

    adminFailure = AdminScript::Failure::failed("Not authorized");
    model->setEnabled(daemon, true);
    EXPECT_EQ(model->actionError(), "Not authorized");
    EXPECT_EQ(model->refreshGeneration(), 3);

    // Removing: disabled, then the one file, each through the administrator.
    adminFailure.reset();
    admin.clear();
    model->remove(daemon);
    ASSERT_EQ(admin.size(), 2u);
    EXPECT_EQ(admin[0].command.arguments, (std::vector<std::string>{"disable", "--now", "--", "it's.service"}));
    EXPECT_EQ(admin[1].command, (CommandLine{adminMoveProgramPath(), {"--remove", daemon.url}}));
    EXPECT_EQ(admin[1].prompt, "Plenwick needs your password to remove “it's.service”.");
    EXPECT_FALSE(existsNoFollow(daemon.url));

    // A dismissed prompt at the first step goes no further.
    admin.clear();
    adminFailure = AdminScript::Failure::cancelled();
    model->remove(daemon);
    EXPECT_EQ(admin.size(), 1u);
}

TEST_F(StartupItemsModelTest, TheAdministratorPathIsPkexecWithAnArgumentVector) {
    const std::string path = dir / "etc/systemd/system/it's;x.service";
    writeAt(path, unitText("/bin/true"));
    unitState("it's;x.service", "enabled", false);
    StartupItemsModel::Environment environment;
    environment.scanner.runner = &runner; // and pkexec through it: no adminProgram
    environment.executor = background.executor;
    StartupItemsModel direct(environment, folders);
    direct.refresh();
    background.runAll();
    ASSERT_EQ(direct.items().size(), 1u);
    const StartupItem daemon = direct.items().front();

    const std::string disable = "/usr/bin/pkexec /bin/systemctl disable --now -- it's;x.service";
    runner.answer(disable, {126, {}, "Error executing command as another user: Request dismissed\n"});
    runner.calls.clear();
    direct.setEnabled(daemon, false);
    EXPECT_EQ(runner.calls, std::vector<std::string>{disable});
    EXPECT_FALSE(direct.actionError()) << "a dismissed prompt is no failure";
    EXPECT_FALSE(direct.isLoading());

    runner.succeed(disable);
    const std::string removal = "/usr/bin/pkexec " + adminMoveProgramPath() + " --remove " + path;
    runner.answer(removal, {1, "FAIL:0\n", "Couldn’t delete “it's;x.service”: Read-only file system\n"});
    runner.calls.clear();
    direct.remove(daemon);
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[1], removal);
    EXPECT_EQ(direct.actionError(), "Couldn’t delete “it's;x.service”: Read-only file system");
    EXPECT_TRUE(direct.isLoading()) << "refreshed";
    background.runAll();
}

TEST_F(StartupItemsModelTest, RemovingTheUsersItemsNeedsNoPassword) {
    writeAt(folders.userAutostart + "/chat.desktop", entryText("Chat", "/bin/true"));
    writeAt(units + "/sync.service", unitText("/bin/true"));
    unitState("sync.service", "enabled");
    loadNow();
    ASSERT_EQ(model->items().size(), 2u);

    model->remove(find("chat.desktop"));
    EXPECT_EQ(model->busy().size(), 1u);
    background.runAll();
    EXPECT_FALSE(existsNoFollow(folders.userAutostart + "/chat.desktop"));

    // A user unit is disabled, then its file deleted.
    runner.succeed("/bin/systemctl --user disable --now -- sync.service");
    runner.calls.clear();
    model->remove(find("sync.service"));
    background.runAll();
    EXPECT_EQ(runner.calls.front(), "/bin/systemctl --user disable --now -- sync.service");
    EXPECT_FALSE(existsNoFollow(units + "/sync.service"));
    EXPECT_TRUE(model->items().empty());
    EXPECT_TRUE(admin.empty());
    EXPECT_FALSE(model->actionError());
}

TEST_F(StartupItemsModelTest, ASystemWideEntryIsTurnedOffForTheUserAndBack) {
    writeAt(folders.systemAutostart[0] + "/tracker.desktop", entryText("Tracker", "/bin/true"));
    loadNow();
    ASSERT_EQ(find("tracker.desktop").isDisabled, false);

    model->setEnabled(find("tracker.desktop"), false);
    background.runAll();
    const StartupItem off = find("tracker.desktop");
    EXPECT_EQ(off.isDisabled, true);
    EXPECT_EQ(off.url, folders.systemAutostart[0] + "/tracker.desktop") << "still the system-wide entry";
    EXPECT_TRUE(existsNoFollow(folders.userAutostart + "/tracker.desktop"));
    EXPECT_EQ(model->items().size(), 1u) << "listed once";

    model->setEnabled(off, true);
    background.runAll();
    EXPECT_EQ(find("tracker.desktop").isDisabled, false);
    EXPECT_FALSE(existsNoFollow(folders.userAutostart + "/tracker.desktop"));
    EXPECT_TRUE(existsNoFollow(folders.systemAutostart[0] + "/tracker.desktop"));
    EXPECT_TRUE(runner.calls.empty() && admin.empty());
}

TEST_F(StartupItemsModelTest, TheUsersOwnEntryIsTurnedOffAndOnInItsFile) {
    const std::string path = folders.userAutostart + "/chat.desktop";
    writeAt(path, entryText("Chat", "/bin/true"));
    loadNow();
    ASSERT_TRUE(find("chat.desktop").canToggle());

    model->setEnabled(find("chat.desktop"), false);
    EXPECT_EQ(model->busy().size(), 1u);
    background.runAll();
    EXPECT_EQ(find("chat.desktop").isDisabled, true);
    EXPECT_EQ(find("chat.desktop").source, Source::loginItem);
    EXPECT_TRUE(parseDesktopEntry(readFile(path))->hidden);

    model->setEnabled(find("chat.desktop"), true);
    background.runAll();
    EXPECT_EQ(find("chat.desktop").isDisabled, false);
    EXPECT_EQ(readFile(path), entryText("Chat", "/bin/true"));
    EXPECT_TRUE(runner.calls.empty() && admin.empty());
    EXPECT_FALSE(model->actionError());

    // Gone since the load: the failure is reported, the list refreshed.
    const StartupItem stale = find("chat.desktop");
    std::filesystem::remove(path);
    model->setEnabled(stale, false);
    background.runAll();
    ASSERT_TRUE(model->actionError());
    EXPECT_NE(model->actionError()->find("“chat.desktop”"), std::string::npos);
    EXPECT_TRUE(model->items().empty());
}

TEST_F(StartupItemsModelTest, ItemsThatCannotChangeAreLeftAlone) {
    StartupItem login;
    login.source = Source::loginItem;
    login.label = "a.desktop";
    login.url = "/home/u/.config/autostart/a.desktop";
    login.isDisabled = false;
    StartupItem unknown;
    unknown.source = Source::userAgent;
    unknown.label = "u.service";
    unknown.url = units + "/u.service";
    StartupItem vendor;
    vendor.source = Source::systemDaemon;
    vendor.label = "ssh.service";
    vendor.url = "/usr/lib/systemd/system/ssh.service";
    vendor.isDisabled = false;
    ASSERT_TRUE(vendor.removalRefusal());
    StartupItem bundled = login;
    bundled.source = Source::bundled;

    StartupItem unknownLogin = login;
    unknownLogin.isDisabled.reset();
    for (const StartupItem& item : {unknownLogin, unknown, bundled}) model->setEnabled(item, false);
    model->remove(vendor);
    model->remove(bundled);
    EXPECT_EQ(model->refreshGeneration(), 0);
    EXPECT_TRUE(background.empty() && notices.empty() && runner.calls.empty() && admin.empty());
}

TEST_F(StartupItemsModelTest, WorkThatThrowsEndsTheLoadAndReportsTheChange) {
    writeAt(units + "/job.service", unitText("/bin/true"));
    unitState("job.service", "enabled");
    loadNow();
    const StartupItem job = find("job.service");
    runner.throwing = "Out of memory.";
    loadNow();
    EXPECT_FALSE(model->isLoading()) << "the load ends";
    EXPECT_TRUE(model->items().empty());

    model->setEnabled(job, false);
    run({0});
    EXPECT_TRUE(model->busy().empty());
    EXPECT_EQ(model->actionError(), "Out of memory.");
    EXPECT_TRUE(model->isLoading()) << "refreshed, as after any change";
}

TEST(StartupItemsModelThreads, LoadsOnWorkerThreadsAndOutlivesNothing) {
    TempFolder dir;
    writeAt(dir / "units/a.service", unitText("/bin/true"));
    writeAt(dir / "system/b.service", unitText("/bin/true"));
    ScriptedRunner runner;
    auto pool = std::make_shared<ThreadPoolExecutor>(2);
    StartupItemsModel::Environment environment;
    environment.scanner.runner = &runner;
    environment.executor = pool;
    StartupItemsScanner::Folders folders;
    folders.userUnits = {{dir / "units", Source::userAgent}};
    folders.systemUnits = {{dir / "system", Source::systemDaemon}};

    auto model = std::make_unique<StartupItemsModel>(environment, folders);
    model->refresh();
    model->refresh();
    pool->waitForDone();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_FALSE(model->isLoading());
    EXPECT_EQ(model->items().size(), 2u) << "no systemctl: listed, state unknown";

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
