#include "StateFixture.h"

#include "app/ScannedTrash.h"

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;
using Kind = AppState::Phase::Kind;

namespace {

// /scan 270 (7 files)
// ├ Big 100 ─ big1 60, big2 40
// ├ Mid 70 ─ Inner 50 ─ i1.pdf 50 ; m1.pdf 20
// ├ Small 30 ─ s1 30
// ├ Mail.app 60 (package, 1 file)
// └ t.txt 10
class TrashTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {folder("Big", {file("big1", 60), file("big2", 40)}),
                                folder("Mid", {folder("Inner", {file("i1.pdf", 50)}), file("m1.pdf", 20)}),
                                folder("Small", {file("s1", 30)}), node("Mail.app", FileNode::Kind::package, 60),
                                file("t.txt", 10)});
        state->finishScan(root, AppState::computeTypeStats(root));
        settle();
        big = child(root, "Big");
        mid = child(root, "Mid");
        inner = child(mid, "Inner");
        small = child(root, "Small");
        mail = child(root, "Mail.app");
        log.emitted.clear();
    }
    // Moves the collector and returns the bytes freed.
    std::int64_t trashCollector() {
        std::optional<std::int64_t> freed;
        state->trashCollected([&](const TrashMoves::TrashOutcome& outcome) { freed = outcome.bytes; });
        settle();
        EXPECT_TRUE(freed.has_value());
        return freed.value_or(-1);
    }

    NodeRef root, big, mid, inner, small, mail;
};

} // namespace

TEST_F(TrashTest, PartialFailureFreesWhatMovedAndKeepsTheRestCollected) {
    state->addToCollector({big, small, child(root, "t.txt")});
    refused.insert("/scan/Small");
    state->setLastError(std::string("old message"), std::string("Old Title"));
    const auto version = state->treeVersion();
    log.emitted.clear();

    EXPECT_EQ(trashCollector(), 110);
    EXPECT_EQ(trashed, (std::vector<std::string>{"/scan/Big", "/scan/t.txt"}));
    // The tree shrank by exactly what moved; Small stayed, in size order.
    EXPECT_EQ(root->size(), 160);
    EXPECT_EQ(root->logicalSize(), 160);
    EXPECT_EQ(root->fileCount(), 4);
    EXPECT_EQ(names(root), (std::vector<std::string>{"Mid", "Mail.app", "Small"}));
    EXPECT_EQ(big->parent(), nullptr);
    EXPECT_EQ(state->treeVersion(), version + 1);
    // What failed stays collected; the alert names it.
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{small}));
    EXPECT_EQ(state->lastError(), "Small: Permission denied");
    EXPECT_EQ(state->lastErrorTitle(), std::nullopt);
    // The move's start, then one coalesced notification for the whole outcome; later
    // ones are the background work it started (statistics, the volume's figures).
    ASSERT_GE(log.emitted.size(), 2u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::collectorTrashing));
    const auto later = AppState::bit(Field::scanVolume) | AppState::bit(Field::typeStats) | AppState::bit(Field::extensionColors);
    for (std::size_t i = 2; i < log.emitted.size(); ++i) EXPECT_EQ(log.emitted[i] & ~later, 0u);
    const auto f = log.emitted[1];
    EXPECT_TRUE(f & AppState::bit(Field::collectorTrashing));
    EXPECT_FALSE(state->isTrashingCollector());
    EXPECT_TRUE(f & AppState::bit(Field::treeVersion));
    EXPECT_TRUE(f & AppState::bit(Field::collector));
    EXPECT_TRUE(f & AppState::bit(Field::lastError));
    EXPECT_TRUE(f & AppState::bit(Field::lastErrorTitle));

    // A run without failures clears the message.
    refused.clear();
    EXPECT_EQ(trashCollector(), 30);
    EXPECT_EQ(state->lastError(), std::nullopt);
    EXPECT_TRUE(state->collector().empty());
    EXPECT_EQ(root->size(), 130);
}

TEST_F(TrashTest, AppsAreAnnouncedBeforeAnythingMovesAndSharedLeftoversGoOnce) {
    root = folder("/scan", {node("Mail.app", FileNode::Kind::package, 60), node("Notes.app", FileNode::Kind::package, 40),
                            file("x", 1)});
    state->finishScan(root, {});
    settle();
    const NodeRef mailApp = child(root, "Mail.app"), notesApp = child(root, "Notes.app");
    knowBundle("/scan/Mail.app", "com.example.mail");
    knowBundle("/scan/Notes.app", "com.example.notes");
    state->addToCollector({mailApp, notesApp});
    // Both apps name one cache folder (spelled differently); the Trash refuses a log.
    state->trashMoves().acceptLeftovers({remnant("/home/u/Library/Caches/shared", 700), remnant("/home/u/Library/Logs/mail.log", 5)},
                           mailApp);
    state->trashMoves().acceptLeftovers(
        {remnant("/home/u/Library/Caches/./shared/", 650), remnant("/home/u/Library/Preferences/notes.plist", 3)},
        notesApp);
    refused.insert("/home/u/Library/Logs/mail.log");
    events.clear();

    EXPECT_EQ(trashCollector(), 60 + 40 + 700 + 3);
    ASSERT_EQ(posted.size(), 1u);
    ASSERT_EQ(posted[0].size(), 2u);
    EXPECT_EQ(posted[0][0].bundleID, "com.example.mail");
    EXPECT_EQ(posted[0][1].bundleID, "com.example.notes");
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], "posted");
    ASSERT_EQ(leftoverCalls.size(), 1u);
    EXPECT_EQ(leftoverCalls[0], (std::vector<std::string>{"/home/u/Library/Caches/shared", "/home/u/Library/Logs/mail.log",
                                                          "/home/u/Library/Preferences/notes.plist"}));
    EXPECT_EQ(state->lastError(), "mail.log: Couldn’t be moved, even with administrator rights.");
    EXPECT_TRUE(state->collector().empty());
    EXPECT_TRUE(state->collectorLeftovers().empty());
    EXPECT_EQ(root->size(), 1);
}

TEST_F(TrashTest, AnAppThatFailsToMoveKeepsItsLeftoversUnmoved) {
    state->addToCollector({mail});
    state->trashMoves().acceptLeftovers({remnant("/home/u/Library/Caches/mail", 700)}, mail);
    refused.insert("/scan/Mail.app");
    EXPECT_EQ(trashCollector(), 0);
    EXPECT_TRUE(leftoverCalls.empty());
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{mail}));
    EXPECT_EQ(state->leftovers(mail.get()).size(), 1u);
    EXPECT_EQ(state->lastError(), "Mail.app: Permission denied");
    EXPECT_TRUE(posted.empty()); // the bundle can't be read: nothing to announce
}

TEST_F(TrashTest, AnEmptyCollectorMovesNothingAndClearsTheMessage) {
    state->setLastError(std::string("earlier"), std::nullopt);
    const auto version = state->treeVersion();
    EXPECT_EQ(trashCollector(), 0);
    EXPECT_TRUE(trashed.empty());
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(state->lastError(), std::nullopt);
    EXPECT_EQ(state->treeVersion(), version);
}

TEST_F(TrashTest, OneMoveOfTheCollectorAtATime) {
    state->addToCollector({big});
    std::vector<std::int64_t> freed;
    state->trashCollected([&](const TrashMoves::TrashOutcome& outcome) { freed.push_back(outcome.bytes); });
    EXPECT_TRUE(state->isTrashingCollector());
    state->trashCollected([&](const TrashMoves::TrashOutcome& outcome) { freed.push_back(outcome.bytes); });
    EXPECT_EQ(freed, std::vector<std::int64_t>{0}) << "the refused call hears at once that it freed nothing";
    settle();
    EXPECT_EQ(freed, (std::vector<std::int64_t>{0, 100}));
    EXPECT_EQ(trashed, (std::vector<std::string>{"/scan/Big"}));
    EXPECT_FALSE(state->isTrashingCollector());
}

TEST_F(TrashTest, PruningRepairsFocusSelectionPreviewCollectorAndHistory) {
    state->navigate(mid);
    state->navigate(inner);
    state->navigate(small);
    state->navigate(inner);
    ASSERT_EQ(state->navigationHistory(), (std::vector<NodeRef>{root, mid, inner, small}));
    state->select(child(inner, "i1.pdf"));
    state->setHovered(inner);
    state->setPendingTrash(child(mid, "m1.pdf"));
    state->setQuickLookURL(std::string("/scan/Mid/Inner/i1.pdf"));
    state->addToCollector({child(inner, "i1.pdf"), child(root, "t.txt")});
    settle();
    log.emitted.clear();

    state->trashMoves().removeTrashedNodes({inner});
    // The focus was inside: it lands on the former parent, without a history entry.
    EXPECT_EQ(state->focus(), mid);
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{root, mid, small}));
    EXPECT_EQ(state->selection(), NodeRef());
    EXPECT_EQ(state->hovered(), NodeRef());
    EXPECT_EQ(state->pendingTrash(), child(mid, "m1.pdf")); // a sibling stays
    EXPECT_EQ(state->quickLookURL(), std::nullopt);
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{child(root, "t.txt")}));
    EXPECT_EQ(mid->size(), 20);
    EXPECT_EQ(root->size(), 220);
    EXPECT_EQ(root->fileCount(), 6);
    EXPECT_EQ(names(root), (std::vector<std::string>{"Big", "Mail.app", "Small", "Mid", "t.txt"}));
    ASSERT_EQ(log.emitted.size(), 1u);

    // A sibling under preview and selection stays; a focus still inside stays.
    state->select(child(mid, "m1.pdf"));
    state->setQuickLookURL(std::string("/scan/Mid/m1.pdf"));
    state->trashMoves().removeTrashedNodes({child(root, "t.txt")});
    EXPECT_EQ(state->focus(), mid);
    EXPECT_EQ(state->selection(), child(mid, "m1.pdf"));
    EXPECT_EQ(state->quickLookURL(), "/scan/Mid/m1.pdf");

    // The focus's own folder goes: the focus climbs to what is left.
    state->trashMoves().removeTrashedNodes({mid});
    EXPECT_EQ(state->focus(), root);
    EXPECT_EQ(state->selection(), NodeRef());
    EXPECT_EQ(state->pendingTrash(), NodeRef());
    EXPECT_EQ(state->quickLookURL(), std::nullopt);
}

TEST_F(TrashTest, PruningNothingInTheTreeChangesNothing) {
    const auto version = state->treeVersion();
    const NodeRef stranger = folder("/elsewhere", {file("x", 1)});
    state->trashMoves().removeTrashedNodes({stranger, root, nullptr});
    EXPECT_EQ(state->treeVersion(), version);
    EXPECT_TRUE(log.emitted.empty());
    EXPECT_EQ(utility->pendingCount(), 0u); // no statistics rebuild
}

TEST_F(TrashTest, StatisticsFollowTwoMovesInTheirOrder) {
    const auto pdfStat = std::find_if(state->typeStats().begin(), state->typeStats().end(),
                                      [](const FileTypeStat& s) { return s.ext == "pdf"; });
    ASSERT_NE(pdfStat, state->typeStats().end());
    ASSERT_EQ(pdfStat->size, 70);
    const RGB pdf = state->extensionColors().at("pdf");
    state->trashMoves().removeTrashedNodes({inner});
    state->trashMoves().removeTrashedNodes({child(mid, "m1.pdf")});
    ASSERT_EQ(utility->pendingCount(), 2u);
    utility->runNewest(); // the second collection finishes first
    deliver();
    for (const FileTypeStat& s : state->typeStats())
        if (s.ext == "pdf") {
            EXPECT_EQ(s.size, 70); // waits for the first
        }
    utility->runOldest();
    deliver();
    for (const FileTypeStat& s : state->typeStats()) EXPECT_NE(s.ext, "pdf");
    EXPECT_EQ(state->extensionColors().at("pdf"), pdf);
}

TEST_F(TrashTest, OneItemAfterConfirmation) {
    // The root and strangers are refused without a word.
    state->trashPending(root);
    state->trashPending(folder("/scan", {}));
    settle();
    EXPECT_TRUE(trashed.empty());

    refused.insert("/scan/Small");
    state->trashPending(small);
    settle();
    EXPECT_EQ(state->lastError(), "Small: Permission denied");
    EXPECT_EQ(small->parent(), root.get());

    state->setLastError(std::nullopt);
    const auto version = state->treeVersion();
    state->trashPending(big);
    settle();
    EXPECT_EQ(big->parent(), nullptr);
    EXPECT_EQ(root->size(), 170);
    EXPECT_EQ(state->treeVersion(), version + 1);
    EXPECT_EQ(state->lastError(), std::nullopt);
}

TEST_F(TrashTest, AMovedAppIsAnnouncedFirstAndOffersItsLeftoversWhenAnyAreFound) {
    knowBundle("/scan/Mail.app", "com.example.mail");
    // The session's search finds a leftover in the test's home.
    std::filesystem::create_directories(dir.path().toStdString() + "/home/.cache/com.example.mail");
    std::ofstream(dir.path().toStdString() + "/home/.cache/com.example.mail/db") << std::string(5000, 'x');
    state->trashPending(mail);
    settle();
    EXPECT_EQ(events, (std::vector<std::string>{"posted", "moved /scan/Mail.app"}));
    EXPECT_EQ(mail->parent(), nullptr);
    const auto session = state->uninstallSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->mode(), UninstallSession::Mode::afterTrash);
    EXPECT_EQ(session->iconURL(), "/Trash/Mail.app");
}

TEST_F(TrashTest, WhatASessionMovedLeavesTheTreeAndTheScannedFolderGoingEndsTheResults) {
    settle();
    volumes->mounted = {volume("/", "Disk With More Room", 1000, 900)};
    state->uninstallEntry().sessionTrashed({"/elsewhere/x", "/scan"}); // the root alone is no node to prune...
    EXPECT_FALSE(state->root()); // ...but it went: nothing of the results stands
    EXPECT_EQ(state->phase().kind(), Kind::home);
    // Back home as after closing the results by hand: the disks show their room anew.
    settle();
    ASSERT_EQ(state->volumes().size(), 1u);
    EXPECT_EQ(state->volumes().front().availableCapacity, 900);

    state->finishScan(root, {});
    settle();
    const auto version = state->treeVersion();
    state->uninstallEntry().sessionTrashed({"/elsewhere/x"});
    EXPECT_EQ(state->treeVersion(), version);
    state->uninstallEntry().sessionTrashed({"/scan/Mail.app", "/scan/Big/big1"});
    EXPECT_EQ(mail->parent(), nullptr);
    EXPECT_EQ(root->size(), 270 - 60 - 60);
    EXPECT_EQ(state->treeVersion(), version + 1);
}

TEST_F(TrashTest, MovesOnRealThreads) {
    // The same road with the moves on a thread pool (run under the thread sanitizer).
    state.reset();
    makeState(true);
    root = folder("/scan", {folder("A", {file("a", 5)}), folder("B", {file("b", 7)}), file("c", 1)});
    state->finishScan(root, {});
    state->addToCollector({child(root, "A"), child(root, "B")});
    std::optional<std::int64_t> freed;
    state->trashCollected([&](const TrashMoves::TrashOutcome& outcome) { freed = outcome.bytes; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return freed.has_value(); }, 5000));
    EXPECT_EQ(*freed, 12);
    EXPECT_EQ(root->size(), 1);
    EXPECT_TRUE(state->collector().empty());
}

// A scan of a home folder whose Trash lies inside it, moved to with the real Trash.
class TrashInsideTheScanTest : public StateTest {
protected:
    void SetUp() override {
        AppEnvironment env = fakeEnvironment();
        env.trash.trashItem = {};
        env.trash.trashItems = {};
        state = std::make_unique<AppState>(std::move(env));
        home = makeTree({{"home/docs/a.bin", 8192}, {"home/docs/b.bin", 4096}, {"home/docs/c.bin", 4096},
                         {"home/.local/share/keep.txt", 10}}) +
               "/home";
        ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        movedDataHome_ = true;
        state->startScan(home);
        settle();
        ASSERT_TRUE(state->root());
    }
    NodeRef at(const std::string& relative) { return state->nodeForURL(home + "/" + relative); }
    std::string home;
};

TEST_F(TrashInsideTheScanTest, WhatMovesReappearsUnderTheTrashAndCountsAsMovedNotFreed) {
    const std::int64_t before = state->root()->size();
    const std::int64_t files = state->root()->fileCount();

    // One item, into a Trash this move makes: the nearest folder is scanned again.
    ASSERT_FALSE(at(".local/share/Trash"));
    state->trashPending(at("docs/c.bin"));
    settle();
    EXPECT_FALSE(at("docs/c.bin"));
    ASSERT_TRUE(at(".local/share/Trash/files/c.bin"));
    EXPECT_EQ(at(".local/share/Trash/files/c.bin")->size(), 4096);
    EXPECT_GE(state->root()->size(), before) << "nothing left the scanned folder";

    // The collector, into the Trash now in the tree.
    state->addToCollector({at("docs/a.bin"), at("docs/b.bin")});
    std::optional<TrashMoves::TrashOutcome> outcome;
    state->trashCollected([&](const TrashMoves::TrashOutcome& o) { outcome = o; });
    settle();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->bytes, 8192 + 4096);
    EXPECT_TRUE(outcome->intoScannedTrash);
    EXPECT_TRUE(at(".local/share/Trash/files/a.bin"));
    EXPECT_TRUE(at(".local/share/Trash/files/b.bin"));
    EXPECT_FALSE(at("docs/a.bin"));
    EXPECT_GE(state->root()->size(), before);
    // The three items and their restore records.
    EXPECT_EQ(state->root()->fileCount(), files + 3);

    // What an uninstall session moved goes the same way.
    const std::string moved = home + "/.local/share/Trash/files/keep.txt";
    std::filesystem::rename(home + "/.local/share/keep.txt", moved);
    state->uninstallEntry().sessionTrashed({home + "/.local/share/keep.txt"});
    settle();
    EXPECT_TRUE(at(".local/share/Trash/files/keep.txt"));
}

TEST_F(TrashInsideTheScanTest, AMoveWhileTheTrashIsScannedAgainIsScannedOnceMoreAfterIt) {
    state->trashPending(at("docs/c.bin"));
    settle();
    const NodeRef trash = at(".local/share/Trash");
    ASSERT_TRUE(trash);

    // The Trash is being scanned again when the next move lands in it: that scan may
    // have listed it before the item arrived.
    state->rescanFolder(trash);
    ASSERT_EQ(userInitiated->pendingCount(), 1u);
    state->trashPending(at("docs/a.bin"));
    ASSERT_EQ(userInitiated->pendingCount(), 2u);
    userInitiated->runNewest(); // the move
    deliver();
    userInitiated->runOldest(); // the scan that ran
    deliver();
    EXPECT_EQ(userInitiated->pendingCount(), 1u) << "one more scan of the Trash";
    settle();
    EXPECT_TRUE(at(".local/share/Trash/files/a.bin"));
    EXPECT_TRUE(state->refreshingFolders().empty());

    // Asked for by hand while it runs, a rescan is not repeated.
    state->rescanFolder(at(".local/share/Trash"));
    state->rescanFolder(at(".local/share/Trash"));
    userInitiated->runOldest();
    deliver();
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
}

TEST_F(TrashInsideTheScanTest, ATrashOutsideTheScanFreesWhatMoved) {
    const std::string elsewhere = dir.path().toStdString() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    ::setenv("XDG_DATA_HOME", elsewhere.c_str(), 1);
    const std::int64_t before = state->root()->size();
    state->addToCollector({at("docs/a.bin")});
    std::optional<TrashMoves::TrashOutcome> outcome;
    state->trashCollected([&](const TrashMoves::TrashOutcome& o) { outcome = o; });
    settle();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->bytes, 8192);
    EXPECT_FALSE(outcome->intoScannedTrash);
    EXPECT_EQ(state->root()->size(), before - 8192);
}

TEST_F(StateTest, TheTrashOfAMovedItemIsFoundInTheTreeWhicheverLinksLeadToIt) {
    EXPECT_EQ(trashFolderOf("/home/u/.local/share/Trash/files/a.txt"), "/home/u/.local/share/Trash");
    EXPECT_EQ(trashFolderOf("/media/usb/.Trash-1000/files/a.txt"), "/media/usb/.Trash-1000");
    EXPECT_EQ(trashFolderOf("/Trash/a.txt"), "/Trash");
    // <dir>/scan is a link to <dir>/real, the Trash behind the link <dir>/data.
    trashBehindLinks();
    const std::string base = dir.path().toStdString();
    EXPECT_EQ(trashFoldersInScan(base + "/scan", {homeTrashFolder(), base + "/data/Trash", base + "/elsewhere"}),
              std::vector<std::string>{base + "/scan/share/Trash"});
    EXPECT_EQ(trashFoldersInScan(base + "/scan/share", {base + "/real/.Trash-1000"}), std::vector<std::string>{});
    EXPECT_EQ(trashFoldersInScan(base + "/gone", {homeTrashFolder()}), std::vector<std::string>{});
}
