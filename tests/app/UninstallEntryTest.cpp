#include "StateFixture.h"

#include "common/PlistFixtures.h"

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;
using Mode = UninstallSession::Mode;

namespace {

class UninstallEntryTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        runUserJobs(); // the volume list
        runUtilityJobs();
    }

    std::string bundle(const std::string& name, const std::string& id) {
        const std::string path = dir.path().toStdString() + "/Applications/" + name;
        makeBundle(path, {{"CFBundleIdentifier", id}, {"CFBundleName", name.substr(0, name.size() - 4)}});
        return path;
    }
    std::string home() const { return dir.path().toStdString() + "/home"; }
};

// The state on the program's thread pool.
class PooledUninstallEntryTest : public StateTest {
protected:
    void SetUp() override { makeState(true); }
};

} // namespace

TEST_F(UninstallEntryTest, RefusesWhatItCantReadAndTheSystemsApps) {
    const std::string folder = dir.path().toStdString() + "/Some Folder";
    std::filesystem::create_directories(folder);
    log.emitted.clear();
    state->uninstallApp(folder);
    EXPECT_TRUE(log.emitted.empty()); // read first, in the background
    runUserJobs();
    EXPECT_EQ(state->lastErrorTitle(), "Can’t Uninstall");
    EXPECT_EQ(state->lastError(), "“Some Folder” isn’t an app Plenwick can read.");
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::lastError) | AppState::bit(Field::lastErrorTitle));
    EXPECT_FALSE(state->uninstallSession());

    state->uninstallApp(bundle("Safari.app", "com.apple.Safari"));
    runUserJobs();
    EXPECT_EQ(state->lastError(), "“Safari” comes with the system and can’t be uninstalled.");
    EXPECT_FALSE(state->uninstallSession());

    // The test is case-sensitive and includes the dot.
    state->uninstallApp(bundle("Soft.app", "com.applesoft.x"));
    runUserJobs();
    EXPECT_TRUE(state->uninstallSession());
    state->uninstallApp(bundle("Caps.app", "COM.APPLE.x"));
    runUserJobs();
    EXPECT_EQ(state->uninstallSession()->app().name, "Caps");
}

TEST_F(UninstallEntryTest, TheAppIsReadInTheBackgroundAndOnlyTheLatestRequestCounts) {
    knowBundle("/apps/First.AppImage", "org.example.First");
    knowBundle("/apps/Second.AppImage", "org.example.Second");
    state->uninstallApp("/apps/First.AppImage");
    EXPECT_TRUE(bundleReads.empty()); // nothing read on the GUI thread
    EXPECT_FALSE(state->uninstallSession());
    ASSERT_EQ(userInitiated->pendingCount(), 1u);
    userInitiated->runOldest();
    EXPECT_EQ(bundleReads, std::vector<std::string>{"/apps/First.AppImage"});
    EXPECT_FALSE(state->uninstallSession()); // applied on the GUI thread's turn
    deliver();
    ASSERT_TRUE(state->uninstallSession());
    EXPECT_EQ(state->uninstallSession()->app().bundleID, "org.example.First");
    state->uninstallSession()->requestClose();

    // A read that finished but was not yet applied when a newer request came is dropped.
    bundleReads.clear();
    state->uninstallApp("/apps/First.AppImage");
    userInitiated->runOldest();
    state->uninstallApp("/apps/Second.AppImage");
    deliver();
    EXPECT_FALSE(state->uninstallSession());
    runUserJobs();
    ASSERT_TRUE(state->uninstallSession());
    EXPECT_EQ(state->uninstallSession()->app().bundleID, "org.example.Second");
    state->uninstallSession()->requestClose();

    // A read not yet begun when a newer request came is stopped: it reads nothing, and
    // finishing after the newer one changes nothing.
    bundleReads.clear();
    state->uninstallApp("/apps/First.AppImage");
    state->uninstallApp("/missing/Gone.AppImage");
    userInitiated->runNewest();
    deliver();
    EXPECT_EQ(state->lastError(), "“Gone.AppImage” isn’t an app Plenwick can read.");
    state->setLastError(std::nullopt, std::nullopt);
    userInitiated->runOldest();
    deliver();
    EXPECT_EQ(bundleReads, std::vector<std::string>{"/missing/Gone.AppImage"});
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_FALSE(state->lastError());

    // A read that outlives the state applies nothing.
    state->uninstallApp("/apps/Second.AppImage");
    state.reset();
    userInitiated->runAll();
    deliver();
}

TEST_F(UninstallEntryTest, OneSessionAtATimeClosedOnlyByItself) {
    state->uninstallApp(bundle("First.app", "com.example.first"));
    runUserJobs();
    const auto first = state->uninstallSession();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->mode(), Mode::uninstall);
    EXPECT_EQ(first->phase(), UninstallSession::Phase::scanning());
    EXPECT_EQ(userInitiated->pendingCount(), 0u); // the view starts the search

    state->uninstallApp(bundle("Second.app", "com.example.second"));
    runUserJobs();
    const auto second = state->uninstallSession();
    EXPECT_NE(first, second);
    first->requestClose();
    EXPECT_EQ(state->uninstallSession(), second);
    log.emitted.clear();
    second->requestClose();
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_EQ(log.emitted, std::vector<AppState::Fields>{AppState::bit(Field::uninstallSession)});

    // A session that outlives the state closes nothing.
    state->uninstallApp(bundle("Third.app", "com.example.third"));
    runUserJobs();
    const auto third = state->uninstallSession();
    state.reset();
    third->requestClose();
    emit third->trashed({"/x"});
}

TEST_F(UninstallEntryTest, AfterTrashShowsOnlyWhatFoundLeftovers) {
    const std::string app = bundle("Example.app", "com.example.app");
    const auto info = *AppBundleInfo::read(app);
    std::filesystem::create_directories(home() + "/.cache/com.example.app");

    preferences->setValue(PreferenceKeys::offerLeftoversOnCollect, false);
    state->uninstallEntry().offerLeftoversAfterTrash(info, std::nullopt);
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
    preferences->setValue(PreferenceKeys::offerLeftoversOnCollect, true);
    auto system = info;
    system.bundleID = "com.apple.Example";
    state->uninstallEntry().offerLeftoversAfterTrash(system, std::nullopt);
    EXPECT_EQ(userInitiated->pendingCount(), 0u);

    state->uninstallEntry().offerLeftoversAfterTrash(info, std::string("/trash/Example.app"));
    EXPECT_FALSE(state->uninstallSession()); // searched before it is shown
    runUserJobs();
    const auto shown = state->uninstallSession();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->mode(), Mode::afterTrash);
    EXPECT_EQ(shown->iconURL(), "/trash/Example.app");
    EXPECT_EQ(shown->phase(), UninstallSession::Phase::ready());

    // While a session is shown, a later offer is dropped even with leftovers.
    state->uninstallEntry().offerLeftoversAfterTrash(info, std::nullopt);
    runUserJobs();
    EXPECT_EQ(state->uninstallSession(), shown);

    // Nothing found: nothing shown.
    shown->requestClose();
    std::filesystem::remove_all(home());
    state->uninstallEntry().offerLeftoversAfterTrash(info, std::nullopt);
    runUserJobs();
    EXPECT_FALSE(state->uninstallSession());
}

TEST_F(UninstallEntryTest, TrashedItemsOutsideTheTreeChangeNothing) {
    NodeRef root = folder("/scan", {file("a", 5)});
    state->finishScan(root, {});
    const auto version = state->treeVersion();
    state->uninstallApp(bundle("Example.app", "com.example.app"));
    runUserJobs();
    log.emitted.clear();
    const auto pending = utility->pendingCount();
    emit state->uninstallSession()->trashed({"/elsewhere/Example.app", "/scanned", "/sc"});
    EXPECT_TRUE(log.emitted.empty());
    EXPECT_EQ(state->treeVersion(), version);
    EXPECT_EQ(utility->pendingCount(), pending); // no volume refresh
}

TEST_F(UninstallEntryTest, NewResultsCloseOnlyASessionGatheringForTheCollector) {
    const auto info = *AppBundleInfo::read(bundle("Example.app", "com.example.app"));
    state->finishScan(folder("/scan", {file("a", 5)}), {});

    // Whichever way it was shown, a collector session goes with the tree it gathers for.
    state->uninstallEntry().presentUninstallSession(state->uninstallEntry().makeUninstallSession(info, Mode::collector));
    ASSERT_TRUE(state->uninstallSession());
    state->finishScan(folder("/scan", {file("a", 5)}), {});
    EXPECT_FALSE(state->uninstallSession());

    state->uninstallEntry().presentUninstallSession(state->uninstallEntry().makeUninstallSession(info, Mode::uninstall));
    const auto uninstalling = state->uninstallSession();
    state->scanRun().reset();
    EXPECT_EQ(state->uninstallSession(), uninstalling);

    // Shown again, its own close request still closes it, in one change.
    state->uninstallEntry().presentUninstallSession(uninstalling);
    log.emitted.clear();
    uninstalling->requestClose();
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_EQ(log.emitted, std::vector<AppState::Fields>{AppState::bit(Field::uninstallSession)});
}

TEST_F(PooledUninstallEntryTest, AppsAreReadOnAWorkerAndTheOutcomeShownOnTheGuiThread) {
    knowBundle("/apps/Foo.AppImage", "org.example.Foo");
    NodeRef root = folder("/scan", {node("Foo.app", FileNode::Kind::package, 40)});
    knowBundle("/scan/Foo.app", "org.example.FooApp");
    state->finishScan(root, {});

    state->uninstallApp("/apps/Foo.AppImage");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(state->uninstallSession()); }, 5000));
    EXPECT_EQ(state->uninstallSession()->app().bundleID, "org.example.Foo");
    state->uninstallSession()->requestClose();

    state->addToCollector({root->children().front()});
    state->respondToLeftoverOffer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(state->uninstallSession()); }, 5000));
    EXPECT_EQ(state->uninstallSession()->mode(), Mode::collector);
    EXPECT_EQ(guiThreadReads, 0);
}
