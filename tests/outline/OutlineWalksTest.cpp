// The flat lists' walks: the largest files, the name search with its folding rules,
// caps and totals, cancellation between batches, and a tree edit between batches.

#include "OutlineTestTree.h"
#include "outline/OutlineWalks.h"
#include "outline/UnicodeTextFolding.h"
#include "scanner/FileTreeLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace plenwick::test {
namespace {

using Names = std::vector<std::string>;

NodeRef sampleTree() {
    return dir("/scan", {
        file("big.iso", 900),
        dir("docs", {file("annual report.pdf", 300), file("Notes.txt", 40), file("b", 40), file("B", 40)}),
        makeNode("Tool.app", Kind::package, -1, {file("binary", 500), file("icon.png", 20)}),
        makeNode("link", Kind::symlink, 60),
        makeNode("locked", Kind::inaccessible, 700),
        dir("empty", {}),
    });
}

TEST(OutlineLargestTest, ListsFilesPackagesAndLinksLargestFirst) {
    NodeRef root = sampleTree();
    // The package counts as one item; folders and unreadable items never appear;
    // equal sizes go by byte order ("B" before "Notes.txt" before "b").
    EXPECT_EQ(namesOf(largestFiles(root, 100).nodes),
              (Names{"big.iso", "Tool.app", "annual report.pdf", "link", "B", "Notes.txt", "b"}));
    EXPECT_EQ(namesOf(largestFiles(root, 3).nodes), (Names{"big.iso", "Tool.app", "annual report.pdf"}));
    // A package as the root is descended like a folder.
    EXPECT_EQ(namesOf(largestFiles(childNamed(root, "Tool.app"), 5).nodes), (Names{"binary", "icon.png"}));
    // A file is its own largest file; an unreadable root has none.
    EXPECT_EQ(namesOf(largestFiles(childNamed(root, "link"), 5).nodes), (Names{"link"}));
    EXPECT_TRUE(largestFiles(childNamed(root, "locked"), 5).nodes.empty());
    EXPECT_TRUE(largestFiles(childNamed(root, "empty"), 5).nodes.empty());
}

TEST(OutlineLargestTest, ALimitOfZeroOrLessListsNothing) {
    NodeRef root = sampleTree();
    EXPECT_TRUE(largestFiles(root, 0).nodes.empty());
    EXPECT_TRUE(largestFiles(root, -3).nodes.empty());
}

TEST(OutlineLargestTest, AnEqualSizeNeverDisplacesTheFirstOneKept) {
    // Within a folder the last child in stored order is visited first: of the two of
    // size 40 the walk meets "b" first and keeps it.
    NodeRef root = dir("/r", {file("a", 40), file("b", 40)});
    EXPECT_EQ(namesOf(largestFiles(root, 1).nodes), (Names{"b"}));
}

TEST(OutlineLargestTest, EqualSizesSortByTheComposedSpellingOfTheirNames) {
    // "é" composed (C3 A9) and decomposed ("e" and U+0301, 65 CC 81): byte order would
    // put the decomposed name before "f" and the composed one after it.
    const std::string composed = "\xC3\xA9t\xC3\xA9-1", decomposed = "e\xCC\x81te\xCC\x81-2";
    NodeRef root = dir("/r", {file(decomposed, 40), file("f", 40), file(composed, 40), file("g", 50)});
    EXPECT_EQ(namesOf(largestFiles(root, 10).nodes), (Names{"g", "f", composed, decomposed}));
    std::vector<NodeRef> nodes = {file(composed, 1), file(decomposed, 1), file("f", 1)};
    sortBySizeThenName(nodes);
    EXPECT_EQ(namesOf(nodes), (Names{"f", composed, decomposed}));
}

TEST(OutlineSearchTest, QueriesAreTrimmedAndFoldOnlyASCIILetters) {
    NodeRef root = dir("/reports", {file("annual report.pdf", 10), file("café.txt", 5), file("CAFE.md", 7),
                                    dir("Report Drafts", {file("draft", 1)})});
    const UnicodeTextFolding folding;
    OutlineSearchResult r = searchNodesByName("  Report\n", root, 10, &folding);
    // The root's own name never counts; a matching folder is listed and descended.
    EXPECT_EQ(namesOf(r.nodes), (Names{"annual report.pdf", "Report Drafts"}));
    EXPECT_EQ(r.totalMatches, 2);
    EXPECT_EQ(searchNodesByName("draft", root, 10, &folding).totalMatches, 2);
    // An ASCII query folds A–Z only: "e" is not "é".
    EXPECT_EQ(namesOf(searchNodesByName("cafe", root, 10, &folding).nodes), (Names{"CAFE.md"}));
    // A query with an accent ignores case and accents on both sides.
    EXPECT_EQ(namesOf(searchNodesByName("CAFÉ", root, 10, &folding).nodes), (Names{"CAFE.md", "café.txt"}));
    EXPECT_EQ(namesOf(searchNodesByName("é.t", root, 10, &folding).nodes), (Names{"café.txt"}));
    // White space alone (also non-breaking and ideographic) finds nothing.
    r = searchNodesByName(" \t\u00a0\u3000", root, 10, &folding);
    EXPECT_TRUE(r.nodes.empty());
    EXPECT_EQ(r.totalMatches, 0);
    // A trim keeps what is inside.
    EXPECT_EQ(trimmedQuery("\u2003 a b \u2028"), "a b");
    EXPECT_EQ(trimmedQuery("\xff "), "\xff");
}

TEST(OutlineSearchTest, TheCapKeepsTheLargestAndTheTotalCountsAll) {
    std::vector<NodeRef> files;
    for (int i = 0; i < 30; ++i) files.push_back(file("match-" + std::to_string(i), i));
    files.push_back(file("other", 1000));
    NodeRef root = dir("/r", std::move(files));
    OutlineSearchResult r = searchNodesByName("MATCH", root, 3);
    EXPECT_EQ(namesOf(r.nodes), (Names{"match-29", "match-28", "match-27"}));
    EXPECT_EQ(r.totalMatches, 30);
    for (int cap : {0, -1}) {
        r = searchNodesByName("match", root, cap);
        EXPECT_TRUE(r.nodes.empty());
        EXPECT_EQ(r.totalMatches, 30);
    }
}

// A flat folder of `count` files named "f<i>".
NodeRef wideFolder(int count) {
    std::vector<NodeRef> files;
    files.reserve(count);
    for (int i = 0; i < count; ++i) files.push_back(file("f" + std::to_string(i) + "é", 1 + i));
    return dir("/wide", std::move(files));
}

// Folds like the program, and calls `onFold` on each name it is asked about.
class HookedFolding final : public TextFolding {
public:
    std::function<void()> onFold;
    std::string fold(std::string_view text) const override {
        if (onFold) onFold();
        return inner.fold(text);
    }
    UnicodeTextFolding inner;
};

TEST(OutlineWalkCancelTest, AStopIsHonouredBetweenBatchesAndKeepsWhatWasFound) {
    NodeRef root = wideFolder(20000);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(searchNodesByName("f", root, 10, nullptr, stop.get_token()).nodes.empty());
    EXPECT_TRUE(largestFiles(root, 10, stop.get_token()).nodes.empty());

    // A stop asked for during the first batch ends the walk after it.
    std::stop_source later;
    HookedFolding folding;
    int folds = 0;
    folding.onFold = [&] {
        if (++folds == 2) later.request_stop();  // the first fold is the query's
    };
    OutlineSearchResult r = searchNodesByName("É", root, 100000, &folding, later.get_token());
    // The first batch pops the root and 8191 files.
    EXPECT_EQ(r.totalMatches, std::int64_t(kOutlineWalkBatch - 1));
    // Every reference the walk took comes back: only the tree holds the files then.
    r = {};
    for (const NodeRef& f : root->children()) ASSERT_EQ(f->refCount(), 1u);
    EXPECT_EQ(root->refCount(), 1u);
}

TEST(OutlineWalkCancelTest, AnEditBetweenBatchesLeavesDetachedNodesAliveUntilTheResultGoes) {
    // Three folders of 6000 files; the walk visits the smallest (stored last) first,
    // so after the first batch the largest is still waiting on the walk's stack. The
    // writer, let in between batches, detaches it and drops the tree's reference.
    std::vector<NodeRef> folders;
    for (int i = 0; i < 3; ++i) {
        std::vector<NodeRef> files;
        for (int j = 0; j < 6000; ++j) files.push_back(file("\u00e9" + std::to_string(j), 10 + i));
        folders.push_back(dir("d" + std::to_string(i), std::move(files)));
    }
    NodeRef root = dir("/edit", std::move(folders));
    const FileNode* doomed = childNamed(root, "d2").get();

    std::mutex m;
    std::condition_variable cv;
    bool batchStarted = false, edited = false;
    HookedFolding folding;
    int folds = 0;
    folding.onFold = [&] {
        std::lock_guard lock(m);
        if (++folds < 2) return;  // the first fold is the query's, before any batch
        batchStarted = true;
        cv.notify_all();
    };
    std::thread writer([&] {
        {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return batchStarted; });
        }
        FileTreeLock::WriteGuard write;  // waits for the batch to end
        root->removeChildAt(static_cast<std::size_t>(root->indexOfChild(doomed)));
        edited = true;
    });
    OutlineSearchResult r = searchNodesByName("\u00c9", root, 100000, &folding);
    writer.join();
    ASSERT_TRUE(edited);
    ASSERT_EQ(root->childCount(), 2u);
    // The detached folder was still walked, and lives on in the retired references.
    EXPECT_EQ(r.totalMatches, 18000);
    bool held = false;
    for (const NodeRef& n : r.retired) held |= n.get() == doomed;
    EXPECT_TRUE(held);
    EXPECT_EQ(doomed->parent(), nullptr);
}

} // namespace
} // namespace plenwick::test
