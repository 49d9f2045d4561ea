// Trees that fight back: chains far deeper than any path, folders swapped for links
// or for other folders while the scan runs, and descriptor limits that leave almost
// nothing to work with. A scan must stay inside its tree, lose nothing it could
// have read, and say so when it truly cannot go on.

#include "ScanTestSupport.h"

#include "scanner/ScannerDescriptorLedger.h"
#include "scanner/ScannerEngine.h"
#include "scanner/ScannerFolderResolver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// A chain of `depth` folders named "d" below `top` (relative to the tree), with a side
// folder "s" holding a 100-byte file "f" at each level in `sides`, and a 7-byte file
// "bottom" in the deepest folder. Built one descriptor at a time: no path is used.
void makeChain(const TempTree& t, std::string_view top, int depth, const std::set<int>& sides) {
    int fd = ::open(t.path(top).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(fd >= 0, "open chain top");
    const auto writeFile = [](int dirFd, const char* name, std::string_view bytes) {
        const int f = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        check(f >= 0, "create chain file");
        check(::write(f, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write chain file");
        ::close(f);
    };
    for (int level = 0; level < depth; ++level) {
        check(::mkdirat(fd, "d", 0755) == 0, "mkdir chain");
        if (sides.count(level)) {
            check(::mkdirat(fd, "s", 0755) == 0, "mkdir side");
            const int side = ::openat(fd, "s", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            check(side >= 0, "open side");
            writeFile(side, "f", std::string(100, 's'));
            ::close(side);
        }
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        check(next >= 0, "open chain");
        ::close(fd);
        fd = next;
    }
    writeFile(fd, "bottom", "1234567");
    ::close(fd);
}

// The node at the end of `depth` "d" folders below `from`.
const FileNode* chainEnd(const FileNode* from, int depth) {
    for (int i = 0; from && i < depth; ++i) from = child(from, "d");
    return from;
}

// Whether any node in the tree is named `name`.
bool holdsName(const FileNode* root, std::string_view name) {
    std::vector<const FileNode*> stack{root};
    while (!stack.empty()) {
        const FileNode* n = stack.back();
        stack.pop_back();
        if (n->name() == name) return true;
        for (const NodeRef& c : n->children()) stack.push_back(c.get());
    }
    return false;
}

// The descriptor numbers this process has open right now.
std::set<int> openDescriptors() {
    std::set<int> open;
    DIR* d = ::opendir("/proc/self/fd");
    check(d != nullptr, "list descriptors");
    const int own = ::dirfd(d);
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.' && std::atoi(e->d_name) != own) open.insert(std::atoi(e->d_name));
    ::closedir(d);
    return open;
}

// Lowers the descriptor limit so that exactly `spare` more can be opened. A limit
// bounds descriptor numbers, not their count: holes below the highest open one are
// filled first (with descriptors this test keeps), so that only `spare` remain.
bool limitDescriptors(int spare) {
    std::set<int> open = openDescriptors();
    const auto holes = [&] { return (open.empty() ? 0 : *open.rbegin() + 1) - static_cast<int>(open.size()); };
    while (holes() > spare) {
        const int filler = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (filler < 0) return false;
        open.insert(filler);
    }
    const rlim_t limit = static_cast<rlim_t>((open.empty() ? 0 : *open.rbegin() + 1) + spare - holes());
    rlimit tight{limit, limit};
    return ::setrlimit(RLIMIT_NOFILE, &tight) == 0;
}

// The address-sanitizer build also checks dynamic types, opening a pipe of its own to
// probe memory on the spot: under the tightest limits that check fails by itself.
// Those limits are left to the other builds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool runtimeOpensDescriptors = true;
#else
constexpr bool runtimeOpensDescriptors = false;
#endif

std::string summary(const EngineScan& s) {
    if (!s.root) return "no root";
    std::ostringstream out;
    out << "files=" << s.root->fileCount() << " bytes=" << s.root->logicalSize()
        << " errors=" << s.totals.errorCount << " dirs=" << s.totals.directoriesScanned << " "
        << treeViolation(s.root.get());
    return out.str();
}

// scan/top/mid/q0…q5, each holding one 10-byte file; and, elsewhere, a tree of the
// same shape whose q folders hold a file named "foreign".
struct SwapFixture {
    TempTree t;
    TempTree elsewhere;
    static constexpr int folders = 6;

    SwapFixture() {
        t.dir("scan");
        t.dir("scan/top");
        t.dir("scan/top/mid");
        elsewhere.dir("mid");
        for (int i = 0; i < folders; ++i) {
            const std::string q = "q" + std::to_string(i);
            t.dir("scan/top/mid/" + q);
            t.file("scan/top/mid/" + q + "/own", 10);
            elsewhere.dir("mid/" + q);
            elsewhere.file("mid/" + q + "/foreign", 1000);
        }
    }
    std::string scanRoot() const { return t.path("scan"); }
    bool isQ(const std::string& path) const { return path.rfind(t.path("scan/top/mid/q"), 0) == 0; }
    // Puts a link to the other tree where "top" was.
    void swapTopForLink() const {
        ::rename(t.path("scan/top").c_str(), t.path("scan/top.away").c_str());
        ::symlink(elsewhere.root().c_str(), t.path("scan/top").c_str());
    }
};

} // namespace

TEST(ScannerHostileTree, ResolverOpensBelowAFolderAndFollowsNoLinkEitherWay) {
    TempTree t;
    t.dir("a");
    t.dir("a/b");
    t.dir("a/b/c");
    t.dir("elsewhere");
    t.dir("elsewhere/c");
    t.symlink(t.path("elsewhere"), "a/linked");
    t.symlink(t.path("a/b/c"), "a/b/last");
    // A way longer than the kernel resolves at once: 40 names of 200 bytes.
    const std::string longName(200, 'n');
    std::vector<std::string> deepNames{"deep"};
    t.dir("deep");
    int level = ::open(t.path("deep").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < 40; ++i) {
        deepNames.push_back(longName + std::to_string(i));
        check(::mkdirat(level, deepNames.back().c_str(), 0755) == 0, "mkdir deep");
        const int next = ::openat(level, deepNames.back().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(level);
        level = next;
    }
    ::close(level);
    const int root = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(root, 0);
    const auto inodeOf = [](int fd) {
        struct stat st;
        return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
    };
    for (bool nameByName : {false, true}) {
        ScannerFolderResolver::forceNameByNameForTesting(nameByName);
        ScannerDescriptorLedger ledger;
        const auto open = [&](std::vector<std::string_view> names) {
            const int fd = ScannerFolderResolver::open(root, names, ledger);
            const int error = errno;
            const auto inode = fd >= 0 ? inodeOf(fd) : 0;
            if (fd >= 0) ::close(fd);
            return std::make_pair(fd >= 0 ? 0 : error, inode);
        };
        struct stat c;
        ASSERT_EQ(::stat(t.path("a/b/c").c_str(), &c), 0);
        EXPECT_EQ(open({"a", "b", "c"}), std::make_pair(0, c.st_ino)) << nameByName;
        // A link on the way or at the end is refused, as a link or as no folder.
        const int onTheWay = open({"a", "linked", "c"}).first, atTheEnd = open({"a", "b", "last"}).first;
        EXPECT_TRUE(onTheWay == ELOOP || onTheWay == ENOTDIR) << nameByName << " " << onTheWay;
        EXPECT_TRUE(atTheEnd == ELOOP || atTheEnd == ENOTDIR) << nameByName << " " << atTheEnd;
        EXPECT_EQ(open({"a", "b", "missing"}).first, ENOENT) << nameByName;
        std::vector<std::string_view> deep(deepNames.begin(), deepNames.end());
        const auto [error, inode] = open(deep);
        EXPECT_EQ(error, 0) << nameByName;
        EXPECT_NE(inode, 0u);
        // Whatever was opened on the way was closed again, and said so.
        EXPECT_EQ(ledger.snapshot().held, 0u) << nameByName;
    }
    ScannerFolderResolver::forceNameByNameForTesting(false);
    ::close(root);
}

TEST(ScannerHostileTree, ChainDeeperThanAnyPathIsScannedWhole) {
    TempTree t;
    t.dir("chain");
    constexpr int depth = 6000; // three times what one path may hold
    // Side folders near the top, every 1024 levels and all along the last 40 levels,
    // so that queued folders must be opened far below any path the kernel resolves.
    std::set<int> sides{0, 1, 2};
    for (int level = 1024; level < depth; level += 1024) sides.insert(level);
    for (int level = depth - 40; level < depth; ++level) sides.insert(level);
    makeChain(t, "chain", depth, sides);

    for (int workers : {1, 4}) {
        EngineScan s = scanWithEngine(t.path("chain"), withWorkers(workers));
        ASSERT_TRUE(s.root) << workers;
        EXPECT_EQ(s.totals.errorCount, 0);
        EXPECT_EQ(s.totals.directoriesScanned, 1 + depth + static_cast<std::int64_t>(sides.size()));
        EXPECT_EQ(s.root->fileCount(), static_cast<std::int64_t>(sides.size()) + 1);
        EXPECT_EQ(s.root->logicalSize(), static_cast<std::int64_t>(sides.size()) * 100 + 7);
        const FileNode* deepest = chainEnd(s.root.get(), depth);
        ASSERT_NE(deepest, nullptr);
        const FileNode* bottom = child(deepest, "bottom");
        ASSERT_NE(bottom, nullptr);
        EXPECT_EQ(bottom->logicalSize(), 7);
        const FileNode* lastSide = child(chainEnd(s.root.get(), depth - 1), "s");
        ASSERT_NE(lastSide, nullptr);
        EXPECT_EQ(lastSide->fileCount(), 1);
        std::string expected = t.path("chain");
        for (int i = 0; i < depth; ++i) expected += "/d";
        EXPECT_EQ(bottom->url(), expected + "/bottom");
        EXPECT_EQ(treeViolation(s.root.get()), "");
    }
}

TEST(ScannerHostileTree, AncestorSwappedForALinkIsNeverFollowed) {
    // With descriptors to spare queued folders are opened beside their open parent
    // (the folder that was listed, wherever it is now); with too few to keep anchors,
    // from the scan root without following any link, so the queued ones are left out.
    // Neither may lead into the other tree.
    constexpr int starvedWorkers = 2;
    constexpr int starvedSpare = 2 * starvedWorkers * (ScannerEngine::inlineDepthLimit + 2);
    static_assert(starvedSpare > 8);
    ASSERT_EQ(ScannerEngine::anchorBudget(starvedSpare, starvedWorkers), 0);
    for (bool starved : {false, true}) {
        for (int workers : {1, 3}) {
            SwapFixture f;
            const std::string result = inChild([&]() -> std::string {
                if (starved && !limitDescriptors(starvedSpare)) return "setrlimit failed";
                std::atomic<bool> swapped{false};
                FolderHook hook([&](const std::string& path) {
                    if (f.isQ(path) && !swapped.exchange(true)) f.swapTopForLink();
                });
                EngineScan s = scanWithEngine(f.scanRoot(), withWorkers(starved ? starvedWorkers : workers));
                if (!s.root) return "no root";
                if (!swapped) return "never swapped";
                std::ostringstream out;
                out << "foreign=" << holdsName(s.root.get(), "foreign") << " errors=" << s.totals.errorCount
                    << " bounded=" << (s.root->fileCount() <= (starved ? SwapFixture::folders - 1 : SwapFixture::folders))
                    << " " << treeViolation(s.root.get());
                return out.str();
            });
            EXPECT_EQ(result, "foreign=0 errors=0 bounded=1 ") << "starved " << starved << ", workers " << workers;
        }
    }
}

TEST(ScannerHostileTree, FolderReplacedByAnotherFolderIsLeftOutNotFollowed) {
    for (int workers : {1, 3}) {
        SwapFixture f;
        // Real folders on the same volume, waiting to take the q folders' places.
        for (int i = 0; i < SwapFixture::folders; ++i) {
            f.t.dir("other" + std::to_string(i));
            f.t.file("other" + std::to_string(i) + "/foreign", 1000);
        }
        std::mutex lock;
        bool swapped = false;
        FolderHook hook([&](const std::string& path) {
            if (!f.isQ(path)) return;
            std::lock_guard guard(lock);
            if (swapped) return;
            swapped = true;
            // Listed already; every q is now swapped before it is opened.
            for (int i = 0; i < SwapFixture::folders; ++i) {
                const std::string q = f.t.path("scan/top/mid/q" + std::to_string(i));
                ::rename(q.c_str(), (q + ".away").c_str());
                ::rename(f.t.path("other" + std::to_string(i)).c_str(), q.c_str());
            }
        });
        EngineScan s = scanWithEngine(f.scanRoot(), withWorkers(workers));
        ASSERT_TRUE(s.root);
        EXPECT_TRUE(swapped);
        EXPECT_FALSE(holdsName(s.root.get(), "foreign")) << workers;
        EXPECT_EQ(s.root->fileCount(), 0) << workers;
        EXPECT_EQ(s.totals.errorCount, 0);
        const FileNode* mid = find(s.root.get(), "top/mid");
        ASSERT_NE(mid, nullptr);
        EXPECT_EQ(mid->childCount(), 0u); // changed folders are left out, like replaced ones
        EXPECT_EQ(treeViolation(s.root.get()), "");
    }
}

TEST(ScannerHostileTree, RepeatedLinkSwapsDuringScansNeverLeadOutside) {
    SwapFixture f;
    std::atomic<bool> stop{false};
    const std::string top = f.t.path("scan/top"), away = f.t.path("scan/top.away");
    std::thread swapper([&] {
        while (!stop.load()) {
            ::rename(top.c_str(), away.c_str());
            ::symlink(f.elsewhere.root().c_str(), top.c_str());
            std::this_thread::yield();
            ::unlink(top.c_str());
            ::rename(away.c_str(), top.c_str());
        }
    });
    int foreign = 0;
    for (int run = 0; run < 60; ++run) {
        EngineScan s = scanWithEngine(f.scanRoot(), withWorkers(3));
        if (s.root && holdsName(s.root.get(), "foreign")) ++foreign;
        if (s.root) {
            EXPECT_EQ(treeViolation(s.root.get()), "");
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(foreign, 0);
}

TEST(ScannerHostileTree, StarvedDescriptorLimitLosesNothing) {
    if (runtimeOpensDescriptors) GTEST_SKIP() << "the sanitizer runtime needs spare descriptors of its own";
    TempTree t;
    // Wide and deep at once: folders with side folders at every level, and a bushy part.
    int expectedFiles = 0, expectedDirs = 1;
    for (const char* chain : {"a", "b"}) {
        std::string rel = chain;
        t.dir(rel);
        ++expectedDirs;
        for (int i = 0; i < 30; ++i) {
            t.dir(rel + "/side");
            t.file(rel + "/side/f", 10);
            t.file(rel + "/g", 10);
            expectedFiles += 2;
            rel += "/n";
            t.dir(rel);
            expectedDirs += 2;
        }
    }
    for (int i = 0; i < 50; ++i) {
        const std::string a = "w" + std::to_string(i);
        t.dir(a);
        ++expectedDirs;
        for (int j = 0; j < 40; ++j) {
            t.dir(a + "/" + std::to_string(j));
            t.file(a + "/" + std::to_string(j) + "/f", 10);
            ++expectedDirs;
            ++expectedFiles;
        }
    }
    const std::string expected = "files=" + std::to_string(expectedFiles) + " bytes=" +
                                 std::to_string(expectedFiles * 10) + " errors=0 dirs=" +
                                 std::to_string(expectedDirs) + " ";
    for (int spare : {2, 3, 8}) {
        for (int workers : {1, 8, 64}) {
            const std::string result = inChild([&]() -> std::string {
                if (!limitDescriptors(spare)) return "setrlimit failed";
                return summary(scanWithEngine(t.root(), withWorkers(workers)));
            });
            EXPECT_EQ(result, expected) << spare << " spare, " << workers << " workers";
        }
    }
}

TEST(ScannerHostileTree, ScanWithoutADescriptorToWorkWithEndsWithAnError) {
    if (runtimeOpensDescriptors) GTEST_SKIP() << "the sanitizer runtime needs spare descriptors of its own";
    TempTree t;
    t.dir("a");
    t.file("a/f", 10);
    t.file("g", 10);
    for (int workers : {1, 8}) {
        // Not even the scan root opens: nothing the scan holds will ever come free.
        std::string result = inChild([&]() -> std::string {
            if (!limitDescriptors(0)) return "setrlimit failed";
            EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
            try {
                if (s.error) std::rethrow_exception(s.error);
                return "scanned: " + summary(s);
            } catch (const ScanError& e) {
                return e.errorDescription();
            }
        });
        EXPECT_EQ(result, "\u201C" + t.root() + "\u201D could not be read.") << workers;
        // One descriptor is enough, one folder at a time, from the root's resolved path.
        result = inChild([&]() -> std::string {
            if (!limitDescriptors(1)) return "setrlimit failed";
            return summary(scanWithEngine(t.root(), withWorkers(workers)));
        });
        EXPECT_EQ(result, "files=2 bytes=20 errors=0 dirs=2 ") << workers;
    }
}
