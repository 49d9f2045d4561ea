#include "StateFixture.h"

#include "app/RescanHardLinks.h"
#include "common/TestSupport.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;
using Kind = AppState::Phase::Kind;

namespace {

namespace fs = std::filesystem;

// A scanned folder on disk:
// scan/
//   Big/  big.bin 300 KB
//   Sub/  keep.txt 20 KB, Gone/ g.txt 10 KB, Stay/ s.txt 10 KB, Inner/ i.txt 4 KB
//   Thing.app/ Contents/ exe 8 KB
//   top.txt 1 KB
class RescanTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        scan = dir.path().toStdString() + "/scan";
        write("Big/big.bin", 300'000);
        write("Sub/keep.txt", 20'000);
        write("Sub/Gone/g.txt", 10'000);
        write("Sub/Stay/s.txt", 10'000);
        write("Sub/Inner/i.txt", 4'000);
        write("Thing.app/Contents/exe", 8'000);
        write("top.txt", 1'000);
        state->startScan(scan);
        settle();
        ASSERT_EQ(state->phase().kind(), Kind::results);
        root = state->root();
        log.emitted.clear();
    }
    void write(const std::string& rel, std::size_t bytes) {
        const fs::path p = fs::path(scan) / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
    }
    NodeRef at(const std::string& rel) const { return state->nodeForURL(scan + "/" + rel); }
    void rescan(const std::string& rel) {
        state->rescanFolder(at(rel));
        settle();
    }
    std::vector<std::string> names(const NodeRef& parent) const {
        std::vector<std::string> out;
        for (const NodeRef& c : parent->children()) out.emplace_back(c->name());
        return out;
    }

    std::string scan;
    NodeRef root;
};

} // namespace

TEST_F(RescanTest, AGrownFolderRaisesEveryAncestorByItsDifferenceAndMovesForward) {
    const NodeRef sub = at("Sub");
    const std::int64_t rootSize = root->size(), rootLogical = root->logicalSize(), rootFiles = root->fileCount();
    const std::int64_t subSize = sub->size(), subLogical = sub->logicalSize();
    ASSERT_EQ(names(root).front(), "Big");

    write("Sub/Inner/more.bin", 500'000);
    state->rescanFolder(sub);
    EXPECT_EQ(state->refreshingFolders().size(), 1u);
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::refreshingFolders));
    state->rescanFolder(sub); // one rescan per folder at a time
    EXPECT_EQ(userInitiated->pendingCount(), 1u);
    const auto version = state->treeVersion();
    settle();

    const NodeRef fresh = at("Sub");
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, sub);
    EXPECT_EQ(sub->parent(), nullptr);
    EXPECT_EQ(fresh->name(), "Sub"); // the entry's name, not the scanned path
    EXPECT_TRUE(state->refreshingFolders().empty());
    EXPECT_EQ(state->treeVersion(), version + 1);
    EXPECT_EQ(root->size(), rootSize + (fresh->size() - subSize));
    EXPECT_EQ(root->logicalSize(), rootLogical + 500'000);
    EXPECT_EQ(fresh->logicalSize(), subLogical + 500'000);
    EXPECT_EQ(root->fileCount(), rootFiles + 1);
    EXPECT_EQ(names(root).front(), "Sub"); // now larger than Big
    EXPECT_EQ(state->lastError(), std::nullopt);
}

TEST_F(RescanTest, FocusSelectionCollectorAndHistoryFollowTheNewNodesOrLeave) {
    state->navigate(at("Sub"));
    state->navigate(at("Sub/Gone"));
    state->navigate(at("Sub/Stay"));
    state->navigate(at("Sub/Inner"));
    ASSERT_EQ(state->navigationHistory().size(), 4u);
    state->select(at("Sub/keep.txt"));
    state->setPendingTrash(at("Sub/Gone/g.txt"));
    state->setHovered(at("Sub/Stay/s.txt"));
    state->addToCollector({at("Sub/Stay/s.txt"), at("Sub/Gone"), at("top.txt")});

    // Outside the program: Gone goes, Inner becomes a file.
    fs::remove_all(scan + "/Sub/Gone");
    fs::remove_all(scan + "/Sub/Inner");
    write("Sub/Inner", 2'000);
    rescan("Sub");

    const NodeRef sub = at("Sub");
    // The focus was Sub/Inner, a file now: it climbs to its folder.
    EXPECT_EQ(state->focus(), sub);
    EXPECT_EQ(state->selection(), at("Sub/keep.txt"));
    EXPECT_TRUE(state->selection());
    EXPECT_EQ(state->pendingTrash(), NodeRef());
    EXPECT_EQ(state->hovered(), NodeRef());
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{at("Sub/Stay/s.txt"), at("top.txt")}));
    EXPECT_TRUE(state->isCollected(at("Sub/Stay/s.txt").get()));
    // Gone and the file that was Inner leave the history; Sub is the focus now.
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{root, sub, at("Sub/Stay")}));
    for (const NodeRef& entry : state->navigationHistory()) EXPECT_TRUE(state->isInsideTree(entry.get()));
}

TEST_F(RescanTest, AFocusWhoseFolderIsGoneLandsOnTheDeepestFolderLeft) {
    write("Sub/Stay/Deeper/d.txt", 100);
    rescan("Sub");
    state->navigate(at("Sub/Stay/Deeper"));
    fs::remove_all(scan + "/Sub/Stay");
    rescan("Sub");
    EXPECT_EQ(state->focus(), at("Sub"));
}

TEST_F(RescanTest, LeftoversOffersAndOfferedAppsMoveToTheNewNodes) {
    const NodeRef app = at("Thing.app");
    ASSERT_EQ(app->kind(), FileNode::Kind::package);
    state->addToCollector({app});
    ASSERT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{app}));
    Remnant r;
    r.url = "/home/u/Library/Caches/thing";
    r.size = 900;
    state->trashMoves().acceptLeftovers({r}, app);

    // The app itself is rescanned: it stays a package under its own name.
    write("Thing.app/Contents/more", 1'000);
    rescan("Thing.app");
    const NodeRef fresh = at("Thing.app");
    ASSERT_NE(fresh, app);
    EXPECT_EQ(fresh->kind(), FileNode::Kind::package);
    EXPECT_EQ(fresh->name(), "Thing.app");
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{fresh}));
    EXPECT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{fresh}));
    ASSERT_EQ(state->leftovers(fresh.get()).size(), 1u);
    EXPECT_EQ(state->sizeWithLeftovers(*fresh), fresh->size() + 900);
    EXPECT_TRUE(state->trashMoves().collector().offeredApps().count(fresh));

    // Once offered, always offered: collecting it again asks nothing.
    state->respondToLeftoverOffer(false);
    state->removeFromCollector(fresh);
    state->addToCollector({fresh});
    EXPECT_TRUE(state->leftoverOffers().empty());
}

TEST_F(RescanTest, AVanishedFolderIsPrunedWithoutAWord) {
    const NodeRef sub = at("Sub");
    const std::int64_t rootSize = root->size(), subSize = sub->size();
    fs::remove_all(scan + "/Sub");
    rescan("Sub");
    EXPECT_FALSE(at("Sub"));
    EXPECT_EQ(sub->parent(), nullptr);
    EXPECT_EQ(root->size(), rootSize - subSize);
    EXPECT_EQ(state->lastError(), std::nullopt);
}

TEST_F(RescanTest, NeitherFollowsALinkNorCrossesIntoAnotherVolume) {
    // Sub is replaced by a link to Big: the link itself stands in its place.
    const std::int64_t bigSize = at("Big")->size();
    fs::remove_all(scan + "/Sub");
    fs::create_directory_symlink(scan + "/Big", scan + "/Sub");
    rescan("Sub");
    const NodeRef link = at("Sub");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->kind(), FileNode::Kind::symlink);
    EXPECT_EQ(link->childCount(), 0u);
    EXPECT_LT(link->size(), bigSize);
    EXPECT_EQ(link->fileCount(), 1);

    // A link on the way: the folder below it is gone as far as the scan knows.
    fs::create_directories(scan + "/Real/Kept");
    write("Real/Kept/k.txt", 5'000);
    state->startScan(scan);
    settle();
    const NodeRef kept = at("Real/Kept");
    ASSERT_TRUE(kept);
    fs::rename(scan + "/Real", scan + "/Elsewhere");
    fs::create_directory_symlink(scan + "/Elsewhere", scan + "/Real");
    state->rescanFolder(kept);
    settle();
    EXPECT_FALSE(at("Real/Kept"));
}

TEST_F(RescanTest, AMountedFolderIsLeftOutAsAFullScanWouldLeaveIt) {
    struct Mounted {
        std::string point;
        bool ok = ::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=1m") == 0;
        ~Mounted() {
            if (ok) ::umount(point.c_str());
        }
    } mounted{scan + "/Sub/Stay"};
    if (!mounted.ok) GTEST_SKIP() << "no tmpfs can be mounted here";
    write("Sub/Stay/on-tmpfs.bin", 100'000);
    const NodeRef stay = at("Sub/Stay");
    state->rescanFolder(stay);
    settle();
    EXPECT_FALSE(at("Sub/Stay"));
    EXPECT_EQ(stay->parent(), nullptr);
    // The folder around it is rescanned without descending into it either.
    rescan("Sub");
    EXPECT_FALSE(at("Sub/Stay"));
}

TEST_F(RescanTest, RootFilesRunningRescansAndNewScans) {
    state->rescanFolder(at("top.txt")); // a file: nothing
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
    state->rescanFolder(root); // the root: a full scan
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    settle();
    root = state->root();

    // A new scan while a folder rescan runs: the rescan's outcome is dropped.
    state->rescanFolder(at("Sub"));
    ASSERT_EQ(userInitiated->pendingCount(), 1u);
    userInitiated->runOldest(); // the rescan finishes first...
    state->startScan(scan);     // ...but a new scan started before its outcome arrived
    EXPECT_TRUE(state->refreshingFolders().empty());
    settle();
    EXPECT_EQ(state->phase().kind(), Kind::results);
    EXPECT_TRUE(state->refreshingFolders().empty());
    EXPECT_EQ(state->lastError(), std::nullopt);
}

TEST_F(RescanTest, AFailureIsReportedAndChangesNothing) {
    // The tests run as root, where permissions deny nothing: the rescan runs as nobody.
    fs::permissions(dir.path().toStdString(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                  fs::perms::others_read | fs::perms::others_exec);
    for (const char* rel : {"", "/Sub"})
        fs::permissions(scan + rel, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(scan + "/Sub/Stay", fs::perms::owner_all);
    const std::string outcome = asNobody([&]() -> std::string {
        const NodeRef stay = at("Sub/Stay");
        const std::int64_t size = root->size();
        state->rescanFolder(stay);
        settle();
        if (state->lastErrorTitle() != "Couldn’t Rescan Folder")
            return "title: " + state->lastErrorTitle().value_or("(none)");
        if (!state->lastError() || !state->lastError()->starts_with("Stay: "))
            return "message: " + state->lastError().value_or("(none)");
        if (at("Sub/Stay") != stay || root->size() != size) return "the tree changed";
        return {};
    });
    EXPECT_EQ(outcome, "");
}

TEST_F(RescanTest, HardLinksAcrossTheFolderAreCountedOnce) {
    // Sub/keep.txt gets a second link in Big; a new file in Sub has its other link
    // outside the scan; a pair of links lies wholly inside Sub.
    fs::create_hard_link(scan + "/Sub/keep.txt", scan + "/Big/keep-link.txt");
    write("Sub/Stay/pair-a.bin", 50'000);
    fs::create_hard_link(scan + "/Sub/Stay/pair-a.bin", scan + "/Sub/Stay/pair-b.bin");
    state->startScan(scan);
    settle();
    root = state->root();
    const std::int64_t total = root->size();
    const auto copies = [&] { return at("Sub/keep.txt")->size() + at("Big/keep-link.txt")->size(); };
    const std::int64_t one = std::max(at("Sub/keep.txt")->size(), at("Big/keep-link.txt")->size());
    ASSERT_GT(one, 0);
    ASSERT_EQ(copies(), one);

    // Whichever link the scan counted, neither rescan counts the file twice.
    rescan("Sub");
    EXPECT_EQ(root->size(), total);
    EXPECT_EQ(copies(), one);
    rescan("Big");
    EXPECT_EQ(root->size(), total);
    EXPECT_EQ(copies(), one);
    // The pair inside Sub counts once, as before.
    EXPECT_EQ(at("Sub/Stay/pair-a.bin")->size() + at("Sub/Stay/pair-b.bin")->size(),
              std::max(at("Sub/Stay/pair-a.bin")->size(), at("Sub/Stay/pair-b.bin")->size()));

    // A file new to the folder whose other link lies outside the scan counts in full.
    const std::int64_t logical = root->logicalSize();
    fs::create_directories(dir.path().toStdString() + "/outside");
    std::ofstream(dir.path().toStdString() + "/outside/o.bin", std::ios::binary) << std::string(40'000, 'o');
    fs::create_hard_link(dir.path().toStdString() + "/outside/o.bin", scan + "/Sub/o-link.bin");
    rescan("Sub");
    EXPECT_EQ(at("Sub/o-link.bin")->logicalSize(), 40'000);
    EXPECT_EQ(root->logicalSize(), logical + 40'000);
}

TEST_F(RescanTest, TheHardLinkDecisionComesFromWhatTheRescanReadNotFromTheDiskAgain) {
    // Sub/keep.txt has a twin outside the folder; the tree counted it there, so the
    // folder's node of it counted nothing.
    fs::create_hard_link(scan + "/Sub/keep.txt", scan + "/Big/keep-link.txt");
    ScanWithHardLinks rescanned = DiskScanner::scanRecordingHardLinks(scan + "/Sub", ScanOptions{});
    ASSERT_TRUE(rescanned.root);
    const NodeRef keep = child(rescanned.root, "keep.txt");
    ASSERT_GT(keep->size(), 0);
    const std::int64_t before = rescanned.root->size(), counted = keep->size();
    const NodeRef old = folder("Sub", {file("keep.txt", 0), file("other.txt", 10)});

    // Gone from the disk by the time the decision is made: nothing is read there.
    fs::remove_all(scan + "/Sub");
    EXPECT_EQ(reconcileRescannedHardLinks(rescanned.root, rescanned.hardLinks, old), 1u);
    EXPECT_EQ(keep->size(), 0);
    EXPECT_EQ(keep->logicalSize(), 0);
    EXPECT_EQ(rescanned.root->size(), before - counted);
    EXPECT_EQ(rescanned.root->logicalSize(), 10'000 + 10'000 + 4'000); // Gone, Stay, Inner
}

TEST_F(RescanTest, ANewExtensionContinuesTheColours) {
    const int next = state->statsUpdates().statistics().nextColorIndex();
    write("Sub/movie.mkv", 70'000);
    rescan("Sub");
    settle(); // the statistics update
    ASSERT_TRUE(state->extensionColors().count("mkv"));
    EXPECT_EQ(state->extensionColors().at("mkv"), extensionColorForIndex(next));
    EXPECT_EQ(state->statsUpdates().statistics().nextColorIndex(), next + 1);
    bool listed = false;
    for (const FileTypeStat& s : state->typeStats()) listed |= s.ext == "mkv" && s.count == 1;
    EXPECT_TRUE(listed);
}

TEST_F(RescanTest, EveryCountOfTheTreeAgreesAfterRescansAndMovesToTheTrash) {
    const auto statsCount = [&] {
        std::int64_t count = 0;
        for (const FileTypeStat& s : state->typeStats()) count += s.count;
        return count;
    };
    fs::create_directories(scan + "/Sub/Empty.app"); // an empty package counts no file
    fs::create_directories(scan + "/Sub/Inner/Notes.rtfd");
    write("Sub/Inner/libz.so.1.2.13", 3'000);
    state->startScan(scan);
    settle();
    root = state->root();
    ASSERT_TRUE(root);
    EXPECT_EQ(statsCount(), root->fileCount());

    fs::create_directories(scan + "/Sub/Stay/More.bundle");
    write("Sub/Stay/t.txt", 100);
    rescan("Sub");
    settle();
    EXPECT_EQ(statsCount(), root->fileCount());

    state->trashPending(at("Sub/Inner"));
    settle();
    EXPECT_EQ(statsCount(), root->fileCount());
    state->trashPending(at("Sub/Empty.app"));
    settle();
    EXPECT_EQ(statsCount(), root->fileCount());
}
