#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;
using Mode = UninstallSession::Mode;

namespace {

// /scan
// ├ Apps ─ Mail.app 40, Notes.app 30
// ├ Docs ─ a.txt 20, b.txt 10, Deep ─ c.txt 5
// └ top.txt 1
class CollectorTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {folder("Apps", {node("Mail.app", FileNode::Kind::package, 40),
                                                node("Notes.app", FileNode::Kind::package, 30)}),
                                folder("Docs", {file("a.txt", 20), file("b.txt", 10), folder("Deep", {file("c.txt", 5)})}),
                                file("top.txt", 1)});
        state->finishScan(root, {});
        settle();
        apps = child(root, "Apps");
        mail = child(apps, "Mail.app");
        notes = child(apps, "Notes.app");
        docs = child(root, "Docs");
        a = child(docs, "a.txt");
        b = child(docs, "b.txt");
        deep = child(docs, "Deep");
        c = child(deep, "c.txt");
        log.emitted.clear();
    }
    std::vector<NodeRef> collected() const { return state->collector(); }
    Remnant remnant(const std::string& url, std::int64_t size) {
        Remnant r;
        r.url = url;
        r.size = size;
        return r;
    }

    NodeRef root, apps, mail, notes, docs, a, b, deep, c;
};

} // namespace

TEST_F(CollectorTest, AddingKeepsFoldersOverWhatTheyHoldWhicheverComesFirst) {
    // The root, a node of another tree and an empty call change nothing.
    const auto version = state->collectorVersion();
    state->addToCollector({root, folder("/elsewhere", {file("x", 1)}), nullptr});
    state->addToCollector({});
    EXPECT_EQ(state->collectorVersion(), version);
    EXPECT_TRUE(log.emitted.empty());

    // A file before its folder, and a duplicate: the folder alone, once.
    state->addToCollector({c, deep, deep, a});
    EXPECT_EQ(collected(), (std::vector<NodeRef>{deep, a}));
    EXPECT_EQ(state->collectorVersion(), version + 1);
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_TRUE(log.emitted[0] & AppState::bit(Field::collector));

    // Inside a collected folder, or already collected: nothing.
    state->addToCollector({c, a});
    EXPECT_EQ(state->collectorVersion(), version + 1);

    // A folder over collected items replaces them and goes to the end.
    state->addToCollector({child(root, "top.txt")});
    state->addToCollector({docs});
    EXPECT_EQ(collected(), (std::vector<NodeRef>{child(root, "top.txt"), docs}));
    EXPECT_FALSE(state->isCollected(a.get()));
    EXPECT_FALSE(state->isCollected(c.get())); // inside a collected folder is not collected itself

    state->removeFromCollector(a); // not collected: nothing
    EXPECT_EQ(collected().size(), 2u);
    state->removeFromCollector(child(root, "top.txt"));
    EXPECT_EQ(collected(), (std::vector<NodeRef>{docs}));
}

TEST_F(CollectorTest, TheTrashsOwnFoldersAreNeverCollectedWhateverLinksLeadThere) {
    const NodeRef scan = trashBehindLinks();
    state->finishScan(scan, {});
    settle();
    const NodeRef trash = child(child(scan, "share"), "Trash");
    const NodeRef info = child(trash, "info"), old = child(child(trash, "files"), "old.txt");
    const NodeRef notATrash = child(scan, ".Trash-1000"), keep = child(scan, "keep.txt");
    state->addToCollector({trash, info, old, child(info, "old.txt.trashinfo"), notATrash, keep});
    // A .Trash-<uid> folder is the Trash only at the top of a mount.
    EXPECT_EQ(collected(), (std::vector<NodeRef>{notATrash, keep}));
}

TEST_F(CollectorTest, AppsAreOfferedOncePerScanAndDecliningKeepsThemCollected) {
    state->addToCollector({mail, a});
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{mail}));
    state->addToCollector({notes});
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{mail, notes}));

    // Leaving the collector drops the offer; coming back asks nothing again.
    state->removeFromCollector(mail);
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{notes}));
    state->addToCollector({mail});
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{notes}));

    log.emitted.clear();
    state->respondToLeftoverOffer(false);
    EXPECT_TRUE(state->leftoverOffers().empty());
    EXPECT_TRUE(state->isCollected(notes.get()));
    EXPECT_FALSE(state->uninstallSession());
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::leftoverOffers));
    state->respondToLeftoverOffer(true); // no offer left: nothing
    EXPECT_FALSE(state->uninstallSession());

    // A new scan forgets what was offered.
    state->finishScan(root, {});
    state->addToCollector({mail});
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{mail}));
}

TEST_F(CollectorTest, ThePreferenceIsOnUnlessStoredOff) {
    // What a settings file gives back for a stored flag is its text; only a flag, as a
    // bool or that text in any case, turns the offer off; anything else is no flag.
    const std::vector<std::pair<QVariant, bool>> stored{
        {QVariant(false), false},
        {QVariant(true), true},
        {QStringLiteral("false"), false},
        {QStringLiteral("False"), false},
        {QStringLiteral(" FALSE "), false},
        {QStringLiteral("true"), true},
        {QStringLiteral("0"), true},
        {QStringLiteral("1"), true},
        {QStringLiteral(""), true},
        {QStringLiteral("no"), true},
        {QVariant(0), true},
        {QVariant(), true},
    };
    for (const auto& [value, on] : stored) {
        preferences->setValue(PreferenceKeys::offerLeftoversOnCollect, value);
        EXPECT_EQ(state->trashMoves().offerLeftoversSetting(), on) << value.toString().toStdString();
        EXPECT_EQ(offerLeftoversOnCollect(*preferences), on) << value.toString().toStdString();
    }
    preferences->remove(PreferenceKeys::offerLeftoversOnCollect);
    EXPECT_TRUE(state->trashMoves().offerLeftoversSetting()) << "nothing stored";

    preferences->setValue(PreferenceKeys::offerLeftoversOnCollect, QStringLiteral("False"));
    state->addToCollector({mail});
    EXPECT_TRUE(state->leftoverOffers().empty());
    EXPECT_TRUE(state->trashMoves().collector().offeredApps().empty()); // not marked as offered either
}

TEST_F(CollectorTest, AcceptingAnOfferOpensACollectorSessionWhoseChoiceIsSplitByTheTree) {
    knowBundle("/scan/Apps/Mail.app", "com.example.mail");
    state->addToCollector({mail});
    state->respondToLeftoverOffer(true);
    EXPECT_TRUE(state->leftoverOffers().empty()); // answered at once
    EXPECT_TRUE(bundleReads.empty());             // read in the background
    runUserJobs();
    const auto session = state->uninstallSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->mode(), Mode::collector);

    const auto version = state->collectorVersion();
    emit session->leftoversChosen({remnant("/scan/Docs/b.txt", 10), remnant("/home/u/Library/Caches/mail", 700),
                        remnant("/scan/Docs/Deep", 5), remnant("/home/u/Library/Preferences/mail.plist", 3),
                        // The scanned folder, or one holding it, never goes with an app.
                        remnant("/scan", 91), remnant("/", 1), remnant("/scan/", 91)});
    EXPECT_EQ(collected(), (std::vector<NodeRef>{mail, b, deep}));
    ASSERT_EQ(state->leftovers(mail.get()).size(), 2u);
    EXPECT_EQ(state->leftovers(mail.get())[0].url, "/home/u/Library/Caches/mail");
    EXPECT_EQ(state->sizeWithLeftovers(*mail), 40 + 700 + 3);
    EXPECT_EQ(state->sizeWithLeftovers(*b), 10);
    EXPECT_GT(state->collectorVersion(), version);

    // A second choice replaces the first; all in the tree: no entry at all.
    emit session->leftoversChosen({remnant("/scan/top.txt", 1)});
    EXPECT_TRUE(state->leftovers(mail.get()).empty());
    EXPECT_TRUE(state->collectorLeftovers().empty());

    // After the app left the collector nothing is taken.
    state->removeFromCollector(mail);
    emit session->leftoversChosen({remnant("/home/u/Library/Caches/mail", 700)});
    EXPECT_TRUE(state->collectorLeftovers().empty());
    EXPECT_FALSE(state->isCollected(mail.get()));
}

TEST_F(CollectorTest, AnUnreadableAppConsumesItsOfferWithoutASession) {
    state->addToCollector({mail, notes});
    state->respondToLeftoverOffer(true); // Mail.app can't be read
    runUserJobs();
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{notes}));
}

TEST_F(CollectorTest, AnAppThatLeavesTheCollectorWhileItIsReadOpensNothing) {
    knowBundle("/scan/Apps/Mail.app", "com.example.mail");
    knowBundle("/scan/Apps/Notes.app", "com.example.notes");
    state->addToCollector({mail, notes});
    state->respondToLeftoverOffer(true);
    state->removeFromCollector(mail);
    runUserJobs();
    EXPECT_FALSE(state->uninstallSession());

    // A new scan while the app is read: the offer belonged to the old results, even
    // when the new tree has the app collected at the same place.
    state->respondToLeftoverOffer(true);
    NodeRef again = folder("/scan", {folder("Apps", {node("Notes.app", FileNode::Kind::package, 30)})});
    state->finishScan(again, {});
    state->addToCollector({child(child(again, "Apps"), "Notes.app")});
    runUserJobs();
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_EQ(bundleReads, (std::vector<std::string>{"/scan/Apps/Mail.app", "/scan/Apps/Notes.app"}));
}


TEST_F(CollectorTest, AnAppImageIsOfferedLikeAnyApp) {
    NodeRef tree = folder("/apps", {file("Foo-x86_64.AppImage", 50), file("notes.txt", 1)});
    state->finishScan(tree, {});
    settle();
    const NodeRef foo = child(tree, "Foo-x86_64.AppImage");
    state->addToCollector({foo, child(tree, "notes.txt")});
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{foo}));

    knowBundle("/apps/Foo-x86_64.AppImage", "org.example.Foo");
    state->respondToLeftoverOffer(true);
    runUserJobs();
    ASSERT_TRUE(state->uninstallSession());
    EXPECT_EQ(state->uninstallSession()->mode(), Mode::collector);
    EXPECT_EQ(state->uninstallSession()->app().bundleID, "org.example.Foo");
}
