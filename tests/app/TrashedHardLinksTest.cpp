#include "StateFixture.h"

#include <algorithm>

using namespace plenwick;
using namespace plenwick::test;
using Kind = AppState::Phase::Kind;

namespace {

namespace fs = std::filesystem;

// A scanned folder on disk where two files have two names each:
// scan/
//   A/  movie.bin 200 KB (also B/movie-copy.bin), a.txt 10 KB
//   B/  movie-copy.bin, b.txt 5 KB
//   C/  pair-1.dat 30 KB (also C/pair-2.dat)
//   top.txt 1 KB
// The scan counts each file's bytes on one of its names; `counted` is the movie's
// name that carries them, `twin` its other name.
class TrashedHardLinksTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        scan = dir.path().toStdString() + "/scan";
        write("A/movie.bin", 200'000);
        write("A/a.txt", 10'000);
        write("B/b.txt", 5'000);
        write("C/pair-1.dat", 30'000);
        write("top.txt", 1'000);
        fs::create_hard_link(scan + "/A/movie.bin", scan + "/B/movie-copy.bin");
        fs::create_hard_link(scan + "/C/pair-1.dat", scan + "/C/pair-2.dat");
        state->startScan(scan);
        settle();
        ASSERT_EQ(state->phase().kind(), Kind::results);
        root = state->root();
        counted = at("A/movie.bin");
        twin = at("B/movie-copy.bin");
        if (counted->size() == 0) std::swap(counted, twin);
        ASSERT_GT(counted->size(), 0);
        ASSERT_EQ(twin->size(), 0);
        movie = counted->size();
        movieLogical = counted->logicalSize();
        ASSERT_EQ(movieLogical, 200'000);
        total = root->size();
        totalLogical = root->logicalSize();
    }
    void write(const std::string& rel, std::size_t bytes) {
        const fs::path p = fs::path(scan) / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
    }
    NodeRef at(const std::string& rel) const { return state->nodeForURL(scan + "/" + rel); }
    std::int64_t trashCollector() {
        std::optional<std::int64_t> freed;
        state->trashCollected([&](const TrashMoves::TrashOutcome& outcome) { freed = outcome.bytes; });
        settle();
        EXPECT_TRUE(freed.has_value());
        return freed.value_or(-1);
    }
    std::int64_t statSize(const std::string& ext) const {
        for (const FileTypeStat& stat : state->typeStats())
            if (stat.ext == ext) return stat.size;
        return -1;
    }
    // Every folder's figures are its children's sums, and the children in size order.
    static bool consistent(const FileNode& folder) {
        if (!folder.isContainer() || folder.childCount() == 0) return true;
        std::int64_t size = 0, logical = 0, files = 0;
        const FileNode* previous = nullptr;
        for (const NodeRef& child : folder.children()) {
            size += child->size();
            logical += child->logicalSize();
            files += child->fileCount();
            if (previous && previous->size() < child->size()) return false;
            previous = child.get();
            if (!consistent(*child)) return false;
        }
        return size == folder.size() && logical == folder.logicalSize() && files == folder.fileCount();
    }

    std::string scan;
    NodeRef root, counted, twin;
    std::int64_t movie = 0, movieLogical = 0, total = 0, totalLogical = 0;
};

} // namespace

TEST_F(TrashedHardLinksTest, TheCountedNameGoingHandsItsBytesToTheNameThatStays) {
    const std::string countedPath = counted->url(), twinPath = twin->url();
    state->addToCollector({counted});
    // Nothing of the movie is freed while its twin stays in the tree.
    EXPECT_EQ(state->bytesKeptUnderOtherNames(state->collector()), movie);
    const std::int64_t files = root->fileCount();

    EXPECT_EQ(trashCollector(), 0);
    EXPECT_EQ(counted->parent(), nullptr);
    EXPECT_EQ(twin->size(), movie);
    EXPECT_EQ(twin->logicalSize(), movieLogical);
    EXPECT_EQ(root->size(), total);
    EXPECT_EQ(root->logicalSize(), totalLogical);
    EXPECT_EQ(root->fileCount(), files - 1);
    EXPECT_TRUE(consistent(*root));
    // The twin's folder is now the largest, so it comes first.
    EXPECT_EQ(root->children().front(), twin->parent());
    // The statistics keep the movie's bytes under the twin's extension.
    settle();
    EXPECT_EQ(statSize("bin"), movie);

    // The name gone from the disk, a rescan of the twin's folder counts what the tree
    // already shows.
    fs::remove(countedPath);
    const std::int64_t folderSize = twin->parent()->size();
    state->rescanFolder(retainNode(twin->parent()));
    settle();
    EXPECT_EQ(state->lastError(), std::nullopt);
    const NodeRef rescanned = state->nodeForURL(twinPath);
    ASSERT_TRUE(rescanned);
    EXPECT_EQ(rescanned->size(), movie);
    EXPECT_EQ(rescanned->parent()->size(), folderSize);
    EXPECT_EQ(root->size(), total);
}

TEST_F(TrashedHardLinksTest, AFolderHoldingTheCountedNameGoesOnItsOwnWithItsOtherFiles) {
    const NodeRef folder = retainNode(counted->parent());
    const std::int64_t others = folder->size() - movie;
    ASSERT_GT(others, 0);
    EXPECT_EQ(state->bytesKeptUnderOtherNames({folder}), movie);
    const std::string path = folder->url();

    state->trashPending(folder);
    settle();
    EXPECT_EQ(trashed, std::vector<std::string>{path});
    EXPECT_EQ(folder->parent(), nullptr);
    EXPECT_EQ(twin->size(), movie);
    EXPECT_EQ(root->size(), total - others);
    EXPECT_TRUE(consistent(*root));
}

TEST_F(TrashedHardLinksTest, WhatLeavesEveryNameOfAFileFreesItsBytes) {
    // Both names of the movie together, and a folder holding both names of the pair.
    const NodeRef pairFolder = at("C");
    const std::int64_t pair = pairFolder->size();
    EXPECT_EQ(state->bytesKeptUnderOtherNames({counted, twin}), 0);
    EXPECT_EQ(state->bytesKeptUnderOtherNames({pairFolder}), 0);
    // One name of the pair alone keeps the pair's bytes on disk, whichever counted.
    EXPECT_EQ(state->bytesKeptUnderOtherNames({at("C/pair-1.dat")}), at("C/pair-1.dat")->size());
    EXPECT_EQ(state->bytesKeptUnderOtherNames({at("C/pair-1.dat")}) +
                  state->bytesKeptUnderOtherNames({at("C/pair-2.dat")}),
              pair);

    state->addToCollector({counted, twin, pairFolder});
    EXPECT_EQ(trashCollector(), movie + pair);
    EXPECT_EQ(root->size(), total - movie - pair);
    EXPECT_TRUE(consistent(*root));
}

TEST_F(TrashedHardLinksTest, TheUncountedNameGoingChangesNoSizeAndTheLastNameThenFreesTheFile) {
    EXPECT_EQ(state->bytesKeptUnderOtherNames({twin}), 0);
    state->trashPending(twin);
    settle();
    EXPECT_EQ(twin->parent(), nullptr);
    EXPECT_EQ(counted->size(), movie);
    EXPECT_EQ(root->size(), total);

    // The counted name is the file's last one in the tree now: moving it frees it.
    EXPECT_EQ(state->bytesKeptUnderOtherNames({counted}), 0);
    state->addToCollector({counted});
    EXPECT_EQ(trashCollector(), movie);
    EXPECT_EQ(root->size(), total - movie);
    EXPECT_TRUE(consistent(*root));
}

TEST_F(TrashedHardLinksTest, ARescanOfEitherFolderKeepsTheNamesKnown) {
    // The twin's folder scanned again: its new node takes the bytes over.
    const std::string twinPath = twin->url(), countedPath = counted->url();
    state->rescanFolder(retainNode(twin->parent()));
    settle();
    const NodeRef newTwin = state->nodeForURL(twinPath);
    ASSERT_TRUE(newTwin);
    ASSERT_NE(newTwin, twin);
    EXPECT_EQ(state->bytesKeptUnderOtherNames({counted}), movie);
    // And the counted name's folder scanned again, then moved with the new node.
    state->rescanFolder(retainNode(counted->parent()));
    settle();
    const NodeRef newCounted = state->nodeForURL(countedPath);
    ASSERT_TRUE(newCounted);
    ASSERT_EQ(newCounted->size(), movie);
    state->addToCollector({newCounted});
    EXPECT_EQ(trashCollector(), 0);
    EXPECT_EQ(newTwin->size(), movie);
    EXPECT_EQ(root->size(), total);
    EXPECT_TRUE(consistent(*root));
}
