#include "uninstaller/UninstallSession.h"

#include "SessionFixture.h"
#include "common/StrictState.h"

#include <algorithm>
#include <thread>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;
using Mode = UninstallSession::Mode;
using Phase = UninstallSession::Phase;
using Field = UninstallSession::Field;

namespace {

std::vector<std::string> urlsOf(const std::vector<Remnant>& remnants) {
    std::vector<std::string> urls;
    for (const Remnant& r : remnants) urls.push_back(r.url);
    return urls;
}

} // namespace

TEST_F(SessionTest, SearchTicksCertainLeftoversAndTellsOnce) {
    auto session = makeSession(Mode::uninstall);
    bool done = false;
    session->start([&] { done = true; });
    EXPECT_EQ(session->phase(), Phase::scanning());
    EXPECT_TRUE(heard.empty()); // already scanning

    background.runAll();
    EXPECT_TRUE(done);
    EXPECT_EQ(session->phase(), Phase::ready());
    EXPECT_EQ(urlsOf(session->remnants()), (std::vector<std::string>{support(), pref(), cache()}));
    EXPECT_EQ(session->selected(), (std::set<std::string>{pref(), cache()})); // the possible one stays unticked
    EXPECT_GT(session->appSize(), 0);
    EXPECT_FALSE(session->isAppRunning());
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], UninstallSession::bit(Field::phase) | UninstallSession::bit(Field::remnants) |
                              UninstallSession::bit(Field::selected) | UninstallSession::bit(Field::appSize));
    EXPECT_EQ(session->remnantsSize(), session->remnants()[0].size + session->remnants()[1].size +
                                           session->remnants()[2].size);
    EXPECT_EQ(session->selectedSize(), session->appSize() + session->remnants()[1].size + session->remnants()[2].size);

    // Ticks: all, then one off; no signal when nothing changes.
    session->selectAll(true);
    session->toggle(cache());
    EXPECT_EQ(session->selected(), (std::set<std::string>{support(), pref()}));
    heard.clear();
    session->selectAll(false);
    session->selectAll(false);
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(SessionTest, AnotherInstalledCopyTicksNothing) {
    const std::string copy = dir / "Elsewhere/Example App.app";
    makeBundle(copy, {{"CFBundleIdentifier", "com.example.app"}});
    registry->bundles["com.example.app"] = {appPath, copy};
    auto session = searched(Mode::uninstall);
    EXPECT_EQ(session->otherCopies(), std::vector<std::string>{copy});
    EXPECT_EQ(session->remnants().size(), 3u);
    EXPECT_TRUE(session->selected().empty());
}

TEST_F(SessionTest, ASearchThatFailsEndsReadyWithNothingFound) {
    registry->failing.insert("com.example.app");
    auto session = makeSession(Mode::uninstall);
    session->setIconURL(appPath); // something to tell apart from the search's own notice
    int done = 0;
    session->start([&] { ++done; });
    heard.clear();
    background.runAll();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(session->phase(), UninstallSession::Phase::ready());
    EXPECT_TRUE(session->remnants().empty());
    EXPECT_TRUE(session->selected().empty());
    EXPECT_EQ(session->appSize(), 0);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], UninstallSession::bit(UninstallSession::Field::phase));
}

TEST_F(SessionTest, OnlyTheNewestSearchApplies) {
    auto session = makeSession(Mode::uninstall);
    int firstDone = 0, secondDone = 0;
    session->start([&] { ++firstDone; });
    session->start([&] { ++secondDone; });
    ASSERT_EQ(background.size(), 2u);
    background.run(1);
    EXPECT_EQ(secondDone, 1);
    session->toggle(pref());

    // The older search ends late: it neither resets the ticks nor calls back.
    heard.clear();
    background.run(0);
    EXPECT_EQ(firstDone, 0);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(session->selected(), std::set<std::string>{cache()});
}

TEST_F(SessionTest, UninstallMovesLeftoversThenTheApp) {
    auto session = searched(Mode::uninstall);
    std::vector<std::string> reported;
    QObject::connect(session.get(), &UninstallSession::trashed,
                     [&](const std::vector<std::string>& urls) { reported = urls; });
    const std::int64_t expected = session->selectedSize();
    session->moveToTrash();

    ASSERT_EQ(trashCalls.size(), 1u);
    EXPECT_EQ(trashCalls[0], (std::vector<std::string>{pref(), cache(), app.url}));
    EXPECT_EQ(reported, trashCalls[0]);
    EXPECT_EQ(session->phase(), Phase::finished(expected, std::nullopt));
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], std::vector<AppBundleInfo>{app});

    // A second press does nothing.
    session->moveToTrash();
    EXPECT_EQ(trashCalls.size(), 1u);
}

TEST_F(SessionTest, AppThatFailsToMoveIsNamedAndNotAnnounced) {
    failing[app.url] = "Permission denied";
    auto session = searched(Mode::uninstall);
    const std::int64_t leftovers = session->selectedSize() - session->appSize();
    session->moveToTrash();
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(session->phase(), Phase::finished(leftovers, std::string("Example App.app: Permission denied")));
}

TEST_F(SessionTest, NoLeftoversMovesOnlyTheApp) {
    std::filesystem::remove_all(home);
    auto session = searched(Mode::uninstall);
    EXPECT_TRUE(session->remnants().empty());
    EXPECT_TRUE(session->selected().empty());
    EXPECT_EQ(session->selectedSize(), session->appSize());
    session->moveToTrash();
    EXPECT_EQ(trashCalls.at(0), std::vector<std::string>{app.url});
}

TEST_F(SessionTest, AfterTrashLeavesTheAppAlone) {
    auto session = searched(Mode::afterTrash);
    EXPECT_EQ(session->appSize(), 0);
    failing[cache()] = "Couldn’t be moved, even with administrator rights.";
    session->moveToTrash();
    EXPECT_EQ(trashCalls.at(0), (std::vector<std::string>{pref(), cache()}));
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(session->phase().failures(),
              std::string("com.example.app: Couldn’t be moved, even with administrator rights."));
    EXPECT_EQ(session->phase().freed(), session->remnants()[1].size);
}

TEST_F(SessionTest, AfterTrashSearchesTheJobsOfTheFormerPlace) {
    std::filesystem::create_directories(home + "/.config/autostart");
    writeFile(home + "/.config/autostart/org.vendor.agent.desktop",
         "[Desktop Entry]\nType=Application\nName=Agent\nExec=\"/Applications/Example App.app/Contents/MacOS/Example\"\n");
    auto session = makeSession(Mode::afterTrash);
    session->setFormerURL(std::string("/Applications/Example App.app"));
    session->start();
    background.runAll();
    ASSERT_EQ(session->remnants().size(), 4u);
    const auto job = std::find_if(session->remnants().begin(), session->remnants().end(), [&](const Remnant& r) {
        return r.url == home + "/.config/autostart/org.vendor.agent.desktop";
    });
    ASSERT_NE(job, session->remnants().end());
    EXPECT_EQ(job->confidence, Remnant::Confidence::possible);
    EXPECT_FALSE(session->selected().count(job->url)) << "a possible leftover is not ticked";
}

TEST_F(SessionTest, ItemsReachTheTrashOnce) {
    // Two places name one folder: each leftover is still one item.
    RemnantSearchRoots roots = RemnantSearchRoots::userFoldersOf(home);
    roots.stateHome = dir / "home/./.config/";
    services.searchRoots = roots;
    auto session = searched(Mode::afterTrash);
    EXPECT_EQ(session->remnants().size(), 3u);
    session->selectAll(true);
    session->moveToTrash();
    EXPECT_EQ(trashCalls.at(0), (std::vector<std::string>{support(), pref(), cache()}));
}

TEST_F(SessionTest, CollectorHandsOverTheTicksAndCloses) {
    auto session = searched(Mode::collector);
    session->toggle(support());
    std::vector<std::string> events;
    std::vector<Remnant> collected;
    QObject::connect(session.get(), &UninstallSession::leftoversChosen, [&](const std::vector<Remnant>& remnants) {
        collected = remnants;
        events.push_back("collect");
    });
    // The owner drops the session when it closes.
    QObject::connect(session.get(), &UninstallSession::closeRequested, [&] {
        events.push_back("close");
        session.reset();
    });
    UninstallSession* raw = session.get();
    const auto expected = raw->selectedRemnants();
    raw->moveToTrash();
    EXPECT_EQ(events, (std::vector<std::string>{"collect", "close"}));
    EXPECT_EQ(urlsOf(collected), (std::vector<std::string>{support(), pref(), cache()}));
    EXPECT_EQ(collected, expected);
    EXPECT_FALSE(session);
    EXPECT_TRUE(trashCalls.empty());

    auto kept = searched(Mode::collector);
    kept->moveToTrash(); // nobody connected
    EXPECT_EQ(kept->phase(), Phase::ready());
}

// Its checks were an assert, off in every build we make: a call from a worker raced
// the GUI thread's reads of the session unnoticed.
using SessionDeathTest = SessionTest;
TEST_F(SessionDeathTest, ACallOffTheGuiThreadStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto session = makeSession(Mode::uninstall);
    EXPECT_DEATH(std::thread([&session] { session->selectAll(true); }).join(), "called off the GUI thread");
}

TEST_F(SessionTest, NothingHappensOutsideReady) {
    auto session = makeSession(Mode::uninstall);
    session->moveToTrash();
    EXPECT_TRUE(trashCalls.empty());
    session->start();
    session.reset();
    background.runAll(); // the result of a dropped session goes nowhere
}

TEST_F(SessionTest, QuitAsksEveryInstanceAndWatches) {
    auto session = searched(Mode::uninstall);
    // Not running: nothing sent, no waiting.
    session->quitApp();
    EXPECT_TRUE(running->terminated.empty());
    EXPECT_TRUE(clock->waits().empty());

    running->running["com.example.app"] = {{101, app.url}, {102, app.url}};
    session->refreshRunningState();
    EXPECT_TRUE(session->isAppRunning());
    running->quitOnTerminate = true;
    session->quitApp();
    EXPECT_EQ(running->terminated.size(), 2u);
    EXPECT_TRUE(session->isAppRunning());
    clock->advance(250ms);
    EXPECT_FALSE(session->isAppRunning());
    clock->advance(10s);
    EXPECT_EQ(clock->waits().size(), 1u);

    // An app that refuses to quit is checked twenty times, then left running.
    running->quitOnTerminate = false;
    running->running["com.example.app"] = {{103, app.url}};
    session->refreshRunningState();
    const int before = running->queries;
    session->quitApp();
    clock->advance(10s);
    EXPECT_EQ(running->queries - before, 1 + 20);
    EXPECT_TRUE(session->isAppRunning());
}

TEST_F(SessionTest, AnOperationStartedWhileItNotifiesIsReported) {
    auto session = searched(Mode::uninstall);
    CountedReentries reports;
    QObject::connect(session.get(), &UninstallSession::changed, [&](quint64 fields) {
        if (fields & UninstallSession::bit(Field::iconURL)) session->selectAll(false);
    });
    session->selectAll(true);
    EXPECT_EQ(reports.count(), 0);
    session->setIconURL(std::string("/icon.png"));
    EXPECT_EQ(reports.count(), 1);
    EXPECT_TRUE(session->selected().empty());
}
