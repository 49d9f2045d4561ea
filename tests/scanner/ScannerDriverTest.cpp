// The driver: the target's path, its errors, a single file, permissions
// (checked as the user nobody in a child), the open-file limit and very long paths.

#include "ScanTestSupport.h"

#include "base/Cancellation.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

using namespace plenwick;
using namespace plenwick::test;

namespace {
std::string notFoundText(const std::string& p) { return "\u201C" + p + "\u201D could not be found."; }
std::string unreadableText(const std::string& p) { return "\u201C" + p + "\u201D could not be read."; }
std::string permissionText(const std::string& p) {
    return "Plenwick doesn\u2019t have permission to read \u201C" + p +
           "\u201D. Its permissions, or those of a folder above it, deny Plenwick access.";
}

// Scans and returns the error's text, or "scanned".
std::string errorOf(const std::string& path) {
    try {
        DiskScanner::scanQuietly(path, {});
        return "scanned";
    } catch (const ScanError& e) {
        return e.errorDescription();
    }
}
} // namespace

TEST(ScannerDriver, ErrorTextsOfEveryCase) {
    EXPECT_EQ(ScanError(ScanError::Kind::notFound, "/x").errorDescription(), "\u201C/x\u201D could not be found.");
    EXPECT_EQ(ScanError(ScanError::Kind::unreadable, "/x").errorDescription(), "\u201C/x\u201D could not be read.");
    EXPECT_EQ(ScanError(ScanError::Kind::permissionDenied, "/x").errorDescription(),
              "Plenwick doesn\u2019t have permission to read \u201C/x\u201D. Its permissions, or those of a "
              "folder above it, deny Plenwick access.");
    const ScanError e(ScanError::Kind::notFound, "/a b");
    EXPECT_EQ(e.path(), "/a b");
    EXPECT_STREQ(e.what(), "\u201C/a b\u201D could not be found.");
}

TEST(ScannerDriver, TargetsThatCannotBeScanned) {
    TempTree t;
    t.file("plain", 10);
    t.symlink(t.path("loop-b"), "loop-a");
    t.symlink(t.path("loop-a"), "loop-b");

    EXPECT_EQ(errorOf(t.path("missing")), notFoundText(t.path("missing")));
    EXPECT_EQ(errorOf(t.path("missing/")), notFoundText(t.path("missing")));
    EXPECT_EQ(errorOf(t.path("plain/below")), notFoundText(t.path("plain/below"))); // ENOTDIR
    EXPECT_EQ(errorOf(t.path("loop-a")), unreadableText(t.path("loop-a")));        // ELOOP
    try {
        DiskScanner::scanQuietly(t.path("missing"), {});
    } catch (const ScanError& e) {
        EXPECT_EQ(e.kind(), ScanError::Kind::notFound);
        EXPECT_EQ(e.path(), t.path("missing"));
    }
}

TEST(ScannerDriver, PermissionCasesAsAnUnprivilegedUser) {
    TempTree t;
    t.dir("closed", 0700);      // root's own: nobody may not list it
    t.file("closed/secret", 100);
    t.dir("open");
    t.file("open/a", 100);
    t.dir("open/locked", 0700); // inside the scan: an inaccessible node
    t.file("open/locked/hidden", 5000);
    t.dir("open/nosearch", 0744); // listable, but no entry's attributes can be read
    t.file("open/nosearch/f", 100);
    t.dir("open/nosearch/sub");

    const std::string result = inChild(
        [&]() -> std::string {
            std::ostringstream out;
            out << errorOf(t.path("closed")) << "\n" << errorOf(t.path("closed/secret")) << "\n";
            EngineScan s = scanWithEngine(t.path("open"));
            if (!s.root) return "no root";
            const FileNode* locked = find(s.root.get(), "locked");
            const FileNode* nosearch = find(s.root.get(), "nosearch");
            out << "files=" << s.root->fileCount() << " size=" << s.root->logicalSize()
                << " errors=" << s.totals.errorCount << "\n";
            out << "locked=" << (locked ? static_cast<int>(locked->kind()) : -1) << "/"
                << (locked ? locked->size() : -1) << "/" << (locked ? locked->fileCount() : -1) << "\n";
            out << "nosearch=" << (nosearch ? static_cast<int>(nosearch->kind()) : -1) << "/"
                << (nosearch ? nosearch->childCount() : 99) << "/" << (nosearch ? nosearch->fileCount() : -1);
            if (nosearch)
                for (const NodeRef& c : nosearch->children())
                    out << " " << c->name() << ":" << static_cast<int>(c->kind()) << ":" << c->size();
            out << "\n" << treeViolation(s.root.get());
            return out.str();
        },
        true);
    std::ostringstream expected;
    expected << permissionText(t.path("closed")) << "\n" << permissionText(t.path("closed/secret")) << "\n";
    // a, plus nothing from the two unreadable folders; errors: locked (1), the two
    // entries of nosearch (2) and its sub-folder that cannot be opened (1).
    expected << "files=1 size=100 errors=4\n";
    expected << "locked=4/0/0\n";
    expected << "nosearch=1/2/0 f:4:0 sub:4:0\n";
    EXPECT_EQ(result, expected.str());
}

TEST(ScannerDriver, RelativeTargetWithoutAWorkingFolderIsUnreadable) {
    TempTree t;
    t.dir("cwd");
    t.dir("cwd/rel");
    const std::string result = inChild([&]() -> std::string {
        // The working folder is deleted: its path can no longer be found.
        if (::chdir(t.path("cwd").c_str()) != 0 || ::rmdir(t.path("cwd/rel").c_str()) != 0 ||
            ::rmdir(t.path("cwd").c_str()) != 0)
            return "setup";
        if (normalizePath("rel") || normalizePath("")) return "normalised";
        if (normalizePath("/a/../b") != "/b") return "absolute";
        return errorOf("rel");
    });
    EXPECT_EQ(result, unreadableText("rel"));
}

TEST(ScannerDriver, SingleFileTargetIsOneNodeAndOneReport) {
    TempTree t;
    t.file("only.txt", 5000);
    std::vector<ScanProgress> reports;
    NodeRef node = DiskScanner::scan(t.path("only.txt"), {}, [&](const ScanProgress& p) { reports.push_back(p); });
    ASSERT_TRUE(node);
    EXPECT_EQ(node->name(), t.path("only.txt"));
    EXPECT_EQ(node->kind(), FileNode::Kind::file);
    EXPECT_EQ(node->fileCount(), 1);
    EXPECT_EQ(node->logicalSize(), 5000);
    EXPECT_EQ(node->size(), allocatedOf(t.path("only.txt")));
    EXPECT_EQ(node->childCount(), 0u);
    EXPECT_EQ(node->url(), t.path("only.txt"));
    EXPECT_EQ(node->displayName(), "only.txt");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (ScanProgress{1, 0, node->size(), t.path("only.txt"), 0}));
    // Quietly: no report at all, same node.
    EXPECT_EQ(DiskScanner::scanQuietly(t.path("only.txt"), {})->size(), node->size());
}

TEST(ScannerDriver, TargetsAreNormalisedByTheirText) {
    TempTree t;
    t.dir("d");
    t.file("d/f", 1);
    NodeRef plain = DiskScanner::scanQuietly(t.path("d"), {});
    NodeRef slash = DiskScanner::scanQuietly(t.path("d/"), {});
    NodeRef dotted = DiskScanner::scanQuietly(t.root() + "/./x/../d/.", {});
    EXPECT_EQ(plain->name(), t.path("d"));
    EXPECT_EQ(slash->name(), t.path("d"));
    EXPECT_EQ(dotted->name(), t.path("d"));
    EXPECT_EQ(find(slash.get(), "f")->url(), t.path("d/f"));
}

TEST(ScannerDriver, PathLongerThanPathMaxIsScannedCompletely) {
    TempTree t;
    // 24 components of 200 bytes: about 4,800 bytes below the root.
    const std::string component(200, 'L');
    int fd = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string relative;
    for (int i = 0; i < 24; ++i) {
        const std::string name = component + std::to_string(i);
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int side = ::openat(fd, "side", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(side, 0);
        ASSERT_EQ(::write(side, "12345", 5), 5);
        ::close(side);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        relative += (i ? "/" : "") + name;
    }
    const int last = ::openat(fd, "deepest", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(last, 0);
    ASSERT_EQ(::write(last, "1234567", 7), 7);
    ::close(last);
    ::close(fd);
    ASSERT_GT(t.path(relative).size(), static_cast<std::size_t>(PATH_MAX));

    for (int workers : {1, 4}) {
        EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
        ASSERT_TRUE(s.root);
        EXPECT_EQ(s.totals.errorCount, 0);
        EXPECT_EQ(s.root->fileCount(), 25);
        EXPECT_EQ(s.root->logicalSize(), 24 * 5 + 7);
        const FileNode* deepest = find(s.root.get(), relative + "/deepest");
        ASSERT_NE(deepest, nullptr);
        EXPECT_EQ(deepest->url(), t.path(relative + "/deepest"));
        EXPECT_EQ(treeViolation(s.root.get()), "");
    }
}
