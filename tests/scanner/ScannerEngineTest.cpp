// The parallel engine: inline descent and the queue, finalisation from
// the bottom up, folders that vanish, cancellation, progress reports, threads.

#include "ScanTestSupport.h"

#include "common/SyscallFilter.h"

#include "base/Cancellation.h"
#include "scanner/NodeMemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

using namespace plenwick;
using namespace plenwick::test;
using namespace std::chrono_literals;

TEST(ScannerEngine, WorkerCountIsFixedAtCreation) {
    EXPECT_EQ(ScannerEngine::resolveWorkerCount(100, 8), 64);
    EXPECT_EQ(ScannerEngine::resolveWorkerCount(0, 2), 2);
    EXPECT_EQ(ScannerEngine::resolveWorkerCount(-3, 16), 12);
}

TEST(ScannerEngine, DeepChainWithOneWorkerGoesThroughTheQueueBelowTheInlineLimit) {
    TempTree t;
    std::string relative;
    for (int i = 0; i < 30; ++i) {
        relative += (i ? "/" : "") + std::string("level") + std::to_string(i);
        t.dir(relative);
        // A second folder at each level keeps the queue non-empty, so the one
        // worker descends inline as far as the limit allows.
        t.dir(relative + "-side");
    }
    t.file(relative + "/bottom", 3000);
    std::atomic<int> opened{0};
    FolderHook hook([&](const std::string&) { ++opened; });
    EngineScan s = scanWithEngine(t.root(), withWorkers(1));
    ASSERT_TRUE(s.root);
    EXPECT_EQ(opened.load(), 61);
    EXPECT_EQ(s.totals.directoriesScanned, 61);
    EXPECT_EQ(s.totals.errorCount, 0);
    const FileNode* bottom = find(s.root.get(), relative + "/bottom");
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->logicalSize(), 3000);
    EXPECT_EQ(s.root->logicalSize(), 3000);
    EXPECT_EQ(s.root->fileCount(), 1);
    EXPECT_EQ(countNodes(s.root.get()), 62);
    EXPECT_EQ(treeViolation(s.root.get()), "");
    EXPECT_EQ(bottom->url(), t.path(relative + "/bottom"));
}

TEST(ScannerEngine, OneWorkerQueuesUntilEveryWorkerHasWorkThenDescendsInline) {
    TempTree t;
    for (const char* name : {"x", "y", "z"}) t.dir(name);
    // The order in which the kernel lists them (readdir reads the same records).
    std::vector<std::string> listed;
    DIR* dir = ::opendir(t.root().c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.') listed.emplace_back(e->d_name);
    ::closedir(dir);
    ASSERT_EQ(listed.size(), 3u);

    std::vector<std::string> opened;
    FolderHook hook([&](const std::string& path) { opened.push_back(path); });
    EngineScan s = scanWithEngine(t.root(), withWorkers(1));
    ASSERT_TRUE(s.root);
    // The queue is empty, so the first sub-folder goes there; from then on it holds
    // one folder per worker, so the others are opened at once, and the queued one last.
    EXPECT_EQ(opened, (std::vector<std::string>{t.root(), t.path(listed[1]), t.path(listed[2]), t.path(listed[0])}));
}

TEST(ScannerEngine, TenThousandSubfoldersWithTwoWorkersAreAllPresentAndSorted) {
    TempTree t;
    t.dir("wide");
    for (int i = 0; i < 10000; ++i) {
        const std::string name = "wide/f" + std::to_string(i);
        t.dir(name);
        if (i % 97 == 0) t.file(name + "/data", static_cast<std::size_t>(4096 * (1 + i % 5)));
    }
    EngineScan s = scanWithEngine(t.path("wide"), withWorkers(2));
    ASSERT_TRUE(s.root);
    EXPECT_EQ(s.root->childCount(), 10000u);
    EXPECT_EQ(s.totals.directoriesScanned, 10001);
    EXPECT_EQ(s.root->fileCount(), 104); // i = 0, 97, …, 9991
    EXPECT_EQ(treeViolation(s.root.get()), "");
    // Largest first: the folders holding 5 pages, then by name.
    const auto kids = s.root->children();
    EXPECT_GE(kids[0]->size(), kids[1]->size());
    EXPECT_EQ(kids.back()->size(), 0);
    std::set<std::string> names;
    for (const NodeRef& c : kids) names.emplace(c->name());
    EXPECT_EQ(names.size(), 10000u);
    EXPECT_EQ(ScannerDirectory::liveCount(), 0);
}

TEST(ScannerEngine, BushyTreeGivesExactTotalsWithAnyWorkerCount) {
    // Wide and deep folders, files of many sizes, hard links across folders and
    // links: many workers hand folders to each other all the time.
    TempTree t;
    int made = 0;
    for (int i = 0; i < 24; ++i) {
        const std::string a = "a" + std::to_string(i);
        t.dir(a);
        for (int j = 0; j < 40; ++j) {
            const std::string b = a + "/b" + std::to_string(j);
            t.dir(b);
            t.sparse(b + "/s", 1 << (j % 20), j % 3 ? 0 : 4096);
            t.file(b + "/f", static_cast<std::size_t>((i * 40 + j) % 7) * 100);
            if (j % 5 == 0) {
                t.dir(b + "/c");
                t.dir(b + "/c/d");
                t.file(b + "/c/d/g", 10);
            }
            if (++made % 97 == 0) t.hardlink(t.path(b + "/f"), t.path(a + "/link" + std::to_string(j)));
            if (made % 89 == 0) t.symlink("f", b + "/l");
        }
    }
    const ReferenceTotals expected = referenceWalk(t.root());
    for (int workers : {2, 8, 64}) {
        for (int run = 0; run < 3; ++run) {
            EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
            ASSERT_TRUE(s.root);
            EXPECT_EQ(totalsOf(s.root.get()), expected) << workers << " workers";
            EXPECT_EQ(s.totals.errorCount, 0);
            EXPECT_EQ(s.totals.directoriesScanned, expected.folders);
            EXPECT_EQ(treeViolation(s.root.get()), "");
        }
    }
    EXPECT_EQ(ScannerDirectory::liveCount(), 0);
}

TEST(ScannerEngine, FolderRemovedBeforeItIsOpenedIsLeftOutWithoutAnError) {
    TempTree t;
    t.dir("keep");
    t.file("keep/a", 100);
    t.dir("gone");
    t.dir("gone/inner");
    t.file("gone/b", 100);
    t.dir("swapped");
    t.file("swapped/c", 100);
    FolderHook hook([&](const std::string& path) {
        if (path == t.path("gone")) {
            ::unlink(t.path("gone/b").c_str());
            ::rmdir(t.path("gone/inner").c_str());
            ::rmdir(t.path("gone").c_str());
        }
        if (path == t.path("swapped")) { // a link put in a folder's place is not followed
            ::unlink(t.path("swapped/c").c_str());
            ::rmdir(t.path("swapped").c_str());
            ::symlink(t.path("keep").c_str(), t.path("swapped").c_str());
        }
    });
    for (int workers : {1, 3}) {
        if (workers == 3) { // build it again for the second run
            ::unlink(t.path("swapped").c_str());
            t.dir("gone");
            t.dir("gone/inner");
            t.file("gone/b", 100);
            t.dir("swapped");
            t.file("swapped/c", 100);
        }
        EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
        ASSERT_TRUE(s.root);
        EXPECT_EQ(s.totals.errorCount, 0);
        EXPECT_EQ(find(s.root.get(), "gone"), nullptr);
        EXPECT_EQ(find(s.root.get(), "swapped"), nullptr);
        ASSERT_NE(find(s.root.get(), "keep/a"), nullptr);
        EXPECT_EQ(s.root->fileCount(), 1);
        EXPECT_EQ(s.root->logicalSize(), 100);
        EXPECT_EQ(s.root->childCount(), 1u);
    }
}

TEST(ScannerEngine, FolderWhoseStatusFailsAfterOpeningIsAnUnreadableFolderAndAnError) {
    TempTree t;
    t.file("a.txt", 100);
    t.dir("bad");
    t.file("bad/hidden", 5000);
    const std::string result = inChild([&]() -> std::string {
        // From "bad" on, the worker's status call on an open folder fails.
        bool filtered = false;
        FolderHook hook([&](const std::string& path) {
            if (path == t.path("bad"))
                filtered = filterSyscall(__NR_statx, 2, AT_EMPTY_PATH, SECCOMP_RET_ERRNO | EIO);
        });
        EngineScan s = scanWithEngine(t.root(), withWorkers(1));
        if (!filtered) return "no filter";
        if (!s.root) return "no root";
        const FileNode* bad = find(s.root.get(), "bad");
        std::ostringstream out;
        out << "errors=" << s.totals.errorCount << " files=" << s.root->fileCount() << " bad=";
        if (bad) out << static_cast<int>(bad->kind()) << "/" << bad->size() << "/" << bad->childCount();
        out << " " << treeViolation(s.root.get());
        return out.str();
    });
    EXPECT_EQ(result, "errors=1 files=1 bad=4/0/0 ");
}

TEST(ScannerEngine, RootThatVanishesAfterTheProbeEndsAsUnreadable) {
    TempTree t;
    t.dir("root");
    const std::string root = t.path("root");
    FolderHook hook([&](const std::string& path) {
        if (path == root) ::rmdir(root.c_str());
    });
    try {
        DiskScanner::scanQuietly(root, {});
        FAIL() << "no error";
    } catch (const ScanError& e) {
        EXPECT_EQ(e.kind(), ScanError::Kind::unreadable);
        EXPECT_EQ(e.path(), root);
        EXPECT_EQ(e.errorDescription(), "\u201C" + root + "\u201D could not be read.");
    }
}

namespace {
// A tree big enough to take a while when every folder open sleeps a little.
void makeBushyTree(const TempTree& t, int top, int below, int files) {
    for (int i = 0; i < top; ++i) {
        const std::string a = "t" + std::to_string(i);
        t.dir(a);
        for (int j = 0; j < below; ++j) {
            const std::string b = a + "/s" + std::to_string(j);
            t.dir(b);
            for (int k = 0; k < files; ++k) t.file(b + "/f" + std::to_string(k), 10);
        }
    }
}
} // namespace

TEST(ScannerEngine, CancellationEndsWithOneErrorNoLaterReportAndNoThreadsLeft) {
    TempTree t;
    makeBushyTree(t, 20, 20, 2);
    const int baseline = quietThreadCount();
    FolderHook hook([](const std::string&) { std::this_thread::sleep_for(2ms); });

    std::stop_source stop;
    std::atomic<int> reports{0};
    std::atomic<bool> thrown{false};
    std::atomic<int> reportsAfterThrow{0};
    int errors = 0;
    std::thread canceller([&] {
        while (reports.load() == 0) std::this_thread::sleep_for(1ms);
        stop.request_stop();
    });
    try {
        DiskScanner::scan(
            t.root(), withWorkers(4),
            [&](const ScanProgress&) {
                if (thrown.load()) ++reportsAfterThrow;
                ++reports;
            },
            stop.get_token());
    } catch (const CancellationError&) {
        ++errors;
        thrown = true;
    }
    canceller.join();
    EXPECT_EQ(errors, 1);
    std::this_thread::sleep_for(100ms); // time for any straggler to report
    EXPECT_EQ(reportsAfterThrow.load(), 0);
    EXPECT_EQ(threadCountSettlingTo(baseline), baseline);
    EXPECT_EQ(ScannerDirectory::liveCount(), 0);
}

TEST(ScannerEngine, CancellingFromTheProgressCallbackIsPrompt) {
    TempTree t;
    makeBushyTree(t, 10, 30, 1);
    const int baseline = quietThreadCount();
    FolderHook hook([](const std::string&) { std::this_thread::sleep_for(1ms); });
    std::stop_source stop;
    int reports = 0;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(DiskScanner::scan(
                     t.root(), withWorkers(2),
                     [&](const ScanProgress&) {
                         ++reports;
                         stop.request_stop();
                     },
                     stop.get_token()),
                 CancellationError);
    EXPECT_EQ(reports, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(threadCountSettlingTo(baseline), baseline);
}

TEST(ScannerEngine, AlreadyCancelledScanStartsNothing) {
    TempTree t;
    t.file("f", 1);
    std::stop_source stop;
    stop.request_stop();
    std::atomic<int> opened{0};
    FolderHook hook([&](const std::string&) { ++opened; });
    EXPECT_THROW(DiskScanner::scan(t.root(), {}, [](const ScanProgress&) {}, stop.get_token()), CancellationError);
    EXPECT_THROW(DiskScanner::scan(t.path("f"), {}, [](const ScanProgress&) {}, stop.get_token()), CancellationError);
    EXPECT_EQ(opened.load(), 0);
}

TEST(ScannerEngine, ProgressIsThrottledAndNeverSentForTheCompletion) {
    TempTree t;
    makeBushyTree(t, 8, 10, 3);
    FolderHook hook([](const std::string&) { std::this_thread::sleep_for(8ms); });
    std::mutex lock;
    std::vector<std::pair<std::chrono::steady_clock::time_point, ScanProgress>> seen;
    const auto scanStart = std::chrono::steady_clock::now();
    EngineScan s = scanWithEngine(t.root(), withWorkers(2), [&](const ScanProgress& p) {
        std::lock_guard guard(lock);
        seen.emplace_back(std::chrono::steady_clock::now(), p);
    });
    ASSERT_TRUE(s.root);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_GE(seen[0].first - scanStart, 60ms); // none in the first interval
    for (std::size_t i = 1; i < seen.size(); ++i) {
        // 66 ms apart on the raw clock when taken; the calls themselves may lag.
        EXPECT_GE(seen[i].first - seen[i - 1].first, 30ms);
        EXPECT_GE(seen[i].second.filesScanned, seen[i - 1].second.filesScanned);
        EXPECT_GE(seen[i].second.directoriesScanned, seen[i - 1].second.directoriesScanned);
    }
    for (const auto& [when, p] : seen) {
        EXPECT_EQ(p.currentPath.rfind(t.root(), 0), 0u) << p.currentPath;
        EXPECT_EQ(p.errorCount, 0);
        EXPECT_EQ(p.bytesScanned, p.filesScanned * allocatedOf(t.path("t0/s0/f0")));
    }
    EXPECT_LE(seen.back().second.filesScanned, 240);

    // A scan shorter than one interval reports nothing.
    ScannerEngine::folderHookForTesting() = nullptr;
    TempTree small;
    small.file("x", 1);
    int reports = 0;
    const auto started = std::chrono::steady_clock::now();
    NodeRef quick = DiskScanner::scan(small.root(), {}, [&](const ScanProgress&) { ++reports; });
    if (std::chrono::steady_clock::now() - started < 60ms) {
        EXPECT_EQ(reports, 0); // (a loaded machine, or a sanitizer, may make it slower)
    }
    EXPECT_EQ(quick->fileCount(), 1);
}

TEST(ScannerEngine, WorkerThreadsAreNamedAndEndWithTheScan) {
    TempTree t;
    makeBushyTree(t, 4, 4, 1);
    const int baseline = quietThreadCount();
    std::mutex lock;
    std::set<std::string> names;
    FolderHook hook([&](const std::string&) {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard guard(lock);
        names.emplace(name);
    });
    NodeRef root = DiskScanner::scanQuietly(t.root(), withWorkers(3));
    ASSERT_TRUE(root);
    for (const std::string& n : names) EXPECT_TRUE(n == "PlenwickScan.0" || n == "PlenwickScan.1" || n == "PlenwickScan.2") << n;
    EXPECT_TRUE(names.count("PlenwickScan.0") || names.count("PlenwickScan.1") || names.count("PlenwickScan.2"));
    EXPECT_EQ(threadCountSettlingTo(baseline), baseline);
}

TEST(ScannerEngine, NoWorkerThreadEndsTheScanWithAnError) {
    TempTree t;
    t.file("f", 1);
    // An unprivileged child whose process limit leaves no room for a thread.
    const std::string result = inChild(
        [&]() -> std::string {
            rlimit none{1, 1};
            if (setrlimit(RLIMIT_NPROC, &none) != 0) return "setrlimit failed";
            try {
                DiskScanner::scanQuietly(t.root(), {});
                return "scanned";
            } catch (const ScanError& e) {
                return e.errorDescription();
            }
        },
        true);
    EXPECT_EQ(result, "\u201C" + t.root() + "\u201D could not be read.");
}

TEST(ScannerEngine, FolderStatesAreFreedAsTheScanGoes) {
    TempTree t;
    makeBushyTree(t, 6, 6, 1);
    std::atomic<std::int64_t> most{0};
    FolderHook hook([&](const std::string&) {
        const std::int64_t live = ScannerDirectory::liveCount();
        std::int64_t seen = most.load();
        while (live > seen && !most.compare_exchange_weak(seen, live)) {}
    });
    NodeRef root = DiskScanner::scanQuietly(t.root(), withWorkers(1));
    EXPECT_EQ(root->fileCount(), 36);
    EXPECT_EQ(ScannerDirectory::liveCount(), 0);
    // 43 folders in all; one worker never holds them all at once.
    EXPECT_LT(most.load(), 43);
}

TEST(ScannerEngine, NodeChunksAreGivenBackWhenTheTreeGoes) {
    TempTree t;
    makeBushyTree(t, 5, 5, 20);
    const std::int64_t before = nodeChunksInUse();
    NodeRef root = DiskScanner::scanQuietly(t.root(), withWorkers(4));
    EXPECT_EQ(root->fileCount(), 500);
    // Keep one leaf alive past its tree: its chunk must stay.
    NodeRef survivor = retainNode(find(root.get(), "t0/s0/f0"));
    root.reset();
    EXPECT_EQ(survivor->parent(), nullptr);
    EXPECT_EQ(survivor->name(), "f0");
    EXPECT_LE(nodeChunksInUse(), before + 1);
    survivor.reset();
    EXPECT_EQ(nodeChunksInUse(), before);

    // Nodes made on a thread that has ended, released on another.
    NodeRef made;
    std::thread maker([&] {
        made = FileNode::make("x", FileNode::Kind::file, 1, 1, 1, 0);
        releaseThreadNodeChunk();
    });
    maker.join();
    EXPECT_EQ(made->name(), "x");
    made.reset();
    EXPECT_EQ(nodeChunksInUse(), before);
}
