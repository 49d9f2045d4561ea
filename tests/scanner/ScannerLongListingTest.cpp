// Folders too long to be read by one worker alone: their entries are read by idle
// workers too, and must come out as one worker would have made them (names, sizes,
// hard links in the listed order, unreadable and vanished entries, cancelling).
// Also the ordering of long child lists: sorted early, merged, invalid names.

#include "ScanTestSupport.h"

#include "common/SyscallFilter.h"

#include "base/Cancellation.h"
#include "scanner/ScannerListingShare.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <stop_token>
#include <thread>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;

namespace {

// Names long enough that the folder takes more than one listing batch, each shared.
constexpr int bigFolderFiles = 8000;
static_assert(bigFolderFiles > 2 * static_cast<int>(ScannerListingShare::leastNames));

std::string bigName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "message-%05d-from-the-long-list.eml", i);
    return name;
}

// big/ holds the files (lengths of their own, every 97th with real blocks), pairs of
// hard links among them, symlinks and sub-folders; small/ holds a link into big/.
void makeBigFolder(const TempTree& t) {
    t.dir("big");
    for (int i = 0; i < bigFolderFiles; ++i) {
        const std::string name = "big/" + bigName(i);
        if (i % 97 == 0) t.file(name, 4096 + static_cast<std::size_t>(i));
        else t.sparse(name, i * 7 + 1, 0);
    }
    for (int i = 0; i < 20; ++i) t.hardlink(t.path("big/" + bigName(i * 97)), t.path("big/twin-" + std::to_string(i)));
    for (int i = 0; i < 10; ++i) t.symlink("nowhere-" + std::to_string(i), "big/link-" + std::to_string(i));
    for (int i = 0; i < 5; ++i) {
        t.dir("big/sub" + std::to_string(i));
        t.file("big/sub" + std::to_string(i) + "/inner", 5000 + static_cast<std::size_t>(i));
    }
    t.dir("small");
    t.hardlink(t.path("big/" + bigName(97 * 30)), t.path("small/outside-twin"));
}

// The names of a folder in the order its listing gives them.
std::vector<std::string> listedOrder(const std::string& path) {
    std::vector<std::string> names;
    DIR* d = ::opendir(path.c_str());
    check(d != nullptr, "opendir " + path);
    while (const dirent* e = ::readdir(d)) {
        const std::string_view n = e->d_name;
        if (n != "." && n != "..") names.emplace_back(n);
    }
    ::closedir(d);
    return names;
}

// Each child of a folder: name → (kind, allocated, logical, files).
std::map<std::string, std::string> describeChildren(const FileNode* folder) {
    std::map<std::string, std::string> out;
    for (const NodeRef& c : folder->children()) {
        std::ostringstream s;
        s << static_cast<int>(c->kind()) << "/" << c->size() << "/" << c->logicalSize() << "/" << c->fileCount();
        out[std::string(c->name())] = s.str();
    }
    return out;
}

std::vector<NodeRef> nodesNamed(const std::vector<std::pair<std::string, std::int64_t>>& spec) {
    std::vector<NodeRef> nodes;
    for (const auto& [name, size] : spec) nodes.push_back(FileNode::make(name, FileNode::Kind::file, size, 0, 1, 0));
    return nodes;
}

bool sortedAsChildren(const std::vector<NodeRef>& nodes) {
    return std::is_sorted(nodes.begin(), nodes.end(),
                          [](const NodeRef& a, const NodeRef& b) { return FileNode::childOrder(*a, *b); });
}

} // namespace

TEST(ScannerLongListing, SharedListingGivesTheTreeOneWorkerGivesWithLinksCountedInListedOrder) {
    TempTree t;
    makeBigFolder(t);
    const ReferenceTotals reference = referenceWalk(t.root());
    const std::vector<std::string> listed = listedOrder(t.path("big"));
    std::map<std::string, std::string> single;
    for (int workers : {1, 3, 8}) {
        for (int round = 0; round < 3; ++round) {
            EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
            ASSERT_TRUE(s.root) << workers;
            EXPECT_EQ(treeViolation(s.root.get()), "") << workers;
            EXPECT_EQ(totalsOf(s.root.get()), reference) << workers;
            EXPECT_EQ(s.totals.errorCount, 0) << workers;
            const FileNode* big = find(s.root.get(), "big");
            ASSERT_NE(big, nullptr);
            ASSERT_EQ(big->childCount(), listed.size());

            // Of each pair of names inside big/, the one listed first carries the bytes.
            for (int i = 0; i < 20; ++i) {
                const std::string first = bigName(i * 97), twin = "twin-" + std::to_string(i);
                const bool firstListedFirst =
                    std::find(listed.begin(), listed.end(), first) < std::find(listed.begin(), listed.end(), twin);
                const FileNode* carrier = child(big, firstListedFirst ? first : twin);
                const FileNode* other = child(big, firstListedFirst ? twin : first);
                ASSERT_TRUE(carrier && other) << i;
                EXPECT_EQ(carrier->size(), allocatedOf(t.path("big/" + first))) << i;
                EXPECT_EQ(other->size(), 0) << i;
                EXPECT_EQ(other->logicalSize(), 0) << i;
            }
            // A file also linked from another folder counts once, in either of them.
            const FileNode* inBig = child(big, bigName(97 * 30));
            const FileNode* outside = find(s.root.get(), "small/outside-twin");
            ASSERT_TRUE(inBig && outside);
            EXPECT_EQ(inBig->size() + outside->size(), allocatedOf(t.path("small/outside-twin")));
            EXPECT_TRUE(inBig->size() == 0 || outside->size() == 0);

            // Apart from that one file, every worker count gives the same children.
            std::map<std::string, std::string> children = describeChildren(big);
            children.erase(bigName(97 * 30));
            if (single.empty()) single = children;
            else EXPECT_EQ(children, single) << workers;
        }
    }
    for (int i = 1; i < 6; ++i) EXPECT_EQ(single.at(bigName(i)), "0/0/" + std::to_string(i * 7 + 1) + "/1");
    EXPECT_EQ(single.at("link-3").substr(0, 2), std::to_string(static_cast<int>(FileNode::Kind::symlink)) + "/");
    EXPECT_EQ(single.at("sub2"), "1/" + std::to_string(allocatedOf(t.path("big/sub2/inner"))) + "/5002/1");
}

TEST(ScannerLongListing, UnreadableAndVanishedEntriesOfASharedListingAreCountedAsAlone) {
    TempTree t;
    t.dir("big");
    for (int i = 0; i < bigFolderFiles; ++i) t.file("big/" + bigName(i));
    t.dir("big/folder");
    t.file("big/folder/inner", 10);
    for (int error : {EIO, ENOENT}) {
        const std::string result = inChild([&]() -> std::string {
            // Every status read by name fails, on every worker (started after this);
            // opened folders still read their own status.
            if (!filterSyscall(__NR_statx, 2, AT_NO_AUTOMOUNT, SECCOMP_RET_ERRNO | static_cast<std::uint32_t>(error)))
                return "no filter";
            EngineScan s = scanWithEngine(t.root(), withWorkers(6));
            if (!s.root) return "no root";
            const FileNode* big = find(s.root.get(), "big");
            if (!big) return "no big";
            std::int64_t inaccessible = 0;
            for (const NodeRef& c : big->children()) inaccessible += c->kind() == FileNode::Kind::inaccessible;
            std::ostringstream out;
            out << "children=" << big->childCount() << " inaccessible=" << inaccessible
                << " errors=" << s.totals.errorCount << " files=" << s.root->fileCount()
                << " folder=" << (child(big, "folder") != nullptr) << " " << treeViolation(s.root.get());
            return out.str();
        });
        const std::string files = std::to_string(bigFolderFiles);
        if (error == EIO) {
            // Unreadable: each is kept as an unreadable item and counted as an error;
            // the folder (known from the listing) is still walked.
            EXPECT_EQ(result, "children=" + std::to_string(bigFolderFiles + 1) + " inaccessible=" + files +
                                  " errors=" + std::to_string(bigFolderFiles + 1) + " files=0 folder=1 ");
        } else {
            // Vanished since the listing: left out without an error.
            EXPECT_EQ(result, "children=1 inaccessible=0 errors=0 files=0 folder=1 ");
        }
    }
}

TEST(ScannerLongListing, CancellingDuringASharedListingEndsCleanlyWhenever) {
    TempTree t;
    makeBigFolder(t);
    const int baseline = quietThreadCount();
    for (auto delay : {0us, 300us, 1000us, 3000us, 8000us}) {
        std::stop_source stop;
        std::atomic<bool> reached{false};
        FolderHook hook([&](const std::string& path) {
            if (path == t.path("big")) reached = true;
        });
        std::thread canceller([&] {
            while (!reached.load()) std::this_thread::sleep_for(50us);
            std::this_thread::sleep_for(delay);
            stop.request_stop();
        });
        bool cancelled = false;
        NodeRef root;
        try {
            root = DiskScanner::scanQuietly(t.root(), withWorkers(6), stop.get_token());
        } catch (const CancellationError&) {
            cancelled = true;
        }
        canceller.join();
        if (!cancelled) {
            // Finished before the cancel came: then complete.
            ASSERT_TRUE(root);
            EXPECT_EQ(treeViolation(root.get()), "");
            EXPECT_EQ(totalsOf(root.get()), referenceWalk(t.root()));
        }
        root = nullptr;
        EXPECT_EQ(ScannerDirectory::liveCount(), 0) << delay.count();
        EXPECT_EQ(threadCountSettlingTo(baseline), baseline) << delay.count();
    }
}

TEST(ScannerLongListing, LongChildListsSortedEarlyAndMergedAreInChildOrder) {
    // A folder with many files and sub-folders whose totals fall among the files'.
    TempTree t;
    t.dir("wide");
    for (int i = 0; i < 600; ++i) t.file("wide/f" + std::to_string(i), static_cast<std::size_t>(i % 7) * 4096);
    for (int i = 0; i < 12; ++i) {
        const std::string sub = "wide/d" + std::to_string(i);
        t.dir(sub);
        t.file(sub + "/inner", static_cast<std::size_t>(i % 9) * 4096);
    }
    t.dir("wide/empty");
    for (int workers : {1, 4}) {
        EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
        ASSERT_TRUE(s.root);
        EXPECT_EQ(treeViolation(s.root.get()), "") << workers;
        const FileNode* wide = find(s.root.get(), "wide");
        ASSERT_NE(wide, nullptr);
        EXPECT_EQ(wide->childCount(), 613u);
    }

    // Both ways round: the shorter run aside, each node placed by a search.
    for (std::size_t middle : {0u, 1u, 3u, 200u, 397u, 399u, 400u}) {
        std::vector<std::pair<std::string, std::int64_t>> spec;
        for (int i = 0; i < 400; ++i) spec.emplace_back("n" + std::to_string(i * 7919 % 400), (i * 31) % 13);
        std::vector<NodeRef> nodes = nodesNamed(spec);
        sortChildNodes(nodes.data(), middle);
        sortChildNodes(nodes.data() + middle, nodes.size() - middle);
        mergeSortedRuns(nodes.data(), middle, nodes.size());
        EXPECT_TRUE(sortedAsChildren(nodes)) << middle;
        std::set<std::string> names;
        for (const NodeRef& n : nodes) names.emplace(n->name());
        EXPECT_EQ(names.size(), 400u) << middle;
        for (const NodeRef& n : nodes) EXPECT_EQ(n->refCount(), 1u);
    }
}

TEST(ScannerLongListing, NamesThatAreNotUtf8SortByTheirRepairedTextAmongTheOthers) {
    // Invalid names beside valid ones sharing long prefixes, sizes tied, and names
    // whose repairs are alike: the order is childOrder's and always the same.
    std::vector<std::pair<std::string, std::int64_t>> spec;
    const std::string prefix = "a-prefix-longer-than-sixteen-bytes-";
    for (int i = 0; i < 300; ++i) {
        const std::int64_t size = i % 3;
        spec.emplace_back(prefix + std::to_string(i), size);
        if (i % 5 == 0) spec.emplace_back(prefix + std::to_string(i) + "\xff", size);
        if (i % 5 == 0) spec.emplace_back(prefix + std::to_string(i) + "\xfe", size); // repaired alike
        if (i % 7 == 0) spec.emplace_back("caf\xe9-" + std::to_string(i), size);
        if (i % 11 == 0) spec.emplace_back("\xef\xbf\xbd" + std::to_string(i), size); // U+FFFD itself
        if (i % 13 == 0) spec.emplace_back("\xc3\xa9t\xc3\xa9-" + std::to_string(i), size);
    }
    std::vector<NodeRef> first = nodesNamed(spec);
    sortChildNodes(first);
    EXPECT_TRUE(sortedAsChildren(first));
    std::reverse(spec.begin(), spec.end());
    std::vector<NodeRef> second = nodesNamed(spec);
    sortChildNodes(second);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i]->name(), second[i]->name()) << i;
}
