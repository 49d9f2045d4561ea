// What each entry counts for: sizes, hard links, links, sparse files,
// special files, packages and names that are not UTF-8.

#include "ScanTestSupport.h"

#include "scanner/ScannerDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <map>
#include <string>

using namespace plenwick;
using namespace plenwick::test;

namespace {
constexpr std::size_t MiB = 1 << 20;
}

TEST(ScannerAccounting, EmptyFolderIsADirectoryWithNothingInIt) {
    TempTree t;
    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    ASSERT_TRUE(root);
    EXPECT_EQ(root->kind(), FileNode::Kind::directory);
    EXPECT_EQ(root->name(), t.root());
    EXPECT_EQ(root->childCount(), 0u);
    EXPECT_EQ(root->size(), 0);
    EXPECT_EQ(root->logicalSize(), 0);
    EXPECT_EQ(root->fileCount(), 0);
    EXPECT_EQ(root->parent(), nullptr);
}

TEST(ScannerAccounting, FilesAndFoldersAddUpAndFoldersAddNothingThemselves) {
    TempTree t;
    t.dir("a");
    t.dir("a/b");
    t.dir("empty");
    t.file("one", 5000);
    t.file("a/two", 70000);
    t.file("a/b/three", 1);
    t.file("zero", 0);
    for (int workers : {1, 2, 8}) {
        EngineScan s = scanWithEngine(t.root(), withWorkers(workers));
        ASSERT_TRUE(s.root) << workers;
        const FileNode* root = s.root.get();
        EXPECT_EQ(root->fileCount(), 4);
        EXPECT_EQ(root->logicalSize(), 5000 + 70000 + 1);
        EXPECT_EQ(root->size(), allocatedOf(t.path("one")) + allocatedOf(t.path("a/two")) +
                                    allocatedOf(t.path("a/b/three")));
        EXPECT_EQ(find(root, "a")->fileCount(), 2);
        EXPECT_EQ(find(root, "a/b")->logicalSize(), 1);
        const FileNode* empty = find(root, "empty");
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->kind(), FileNode::Kind::directory);
        EXPECT_EQ(empty->fileCount(), 0);
        const FileNode* zero = find(root, "zero");
        ASSERT_NE(zero, nullptr);
        EXPECT_EQ(zero->kind(), FileNode::Kind::file);
        EXPECT_EQ(zero->fileCount(), 1);
        EXPECT_EQ(treeViolation(root), "");
        EXPECT_EQ(s.totals.filesScanned, 4);
        EXPECT_EQ(s.totals.directoriesScanned, 4); // root, a, a/b, empty
        EXPECT_EQ(s.totals.bytesScanned, root->size());
        EXPECT_EQ(s.totals.errorCount, 0);
    }
}

TEST(ScannerAccounting, ModificationTimeCarriesNanoseconds) {
    TempTree t;
    t.file("f", 1);
    t.dir("d");
    const timespec times[2] = {{1000000000, 0}, {1234567890, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, t.path("f").c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, t.path("d").c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, t.root().c_str(), times, 0), 0);
    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    EXPECT_DOUBLE_EQ(find(root.get(), "f")->modified(), 1234567890.5);
    EXPECT_DOUBLE_EQ(find(root.get(), "d")->modified(), 1234567890.5);
    EXPECT_DOUBLE_EQ(root->modified(), 1234567890.5);
}

TEST(ScannerAccounting, HardLinksInsideTheScanAreCountedOnce) {
    TempTree t;
    t.dir("x");
    t.dir("y");
    t.file("x/original", MiB);
    t.hardlink(t.path("x/original"), t.path("y/copy"));
    const std::int64_t allocated = allocatedOf(t.path("x/original"));
    ASSERT_GT(allocated, 0);

    for (int workers : {1, 4}) {
        NodeRef root = DiskScanner::scanQuietly(t.root(), withWorkers(workers));
        EXPECT_EQ(root->size(), allocated);
        EXPECT_EQ(root->logicalSize(), static_cast<std::int64_t>(MiB));
        EXPECT_EQ(root->fileCount(), 2);
        const FileNode* a = find(root.get(), "x/original");
        const FileNode* b = find(root.get(), "y/copy");
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->fileCount(), 1);
        EXPECT_EQ(b->fileCount(), 1);
        EXPECT_EQ(a->size() + b->size(), allocated); // one of them carries the bytes
        EXPECT_TRUE(a->size() == 0 || b->size() == 0);
        EXPECT_EQ(a->logicalSize() + b->logicalSize(), static_cast<std::int64_t>(MiB));
        EXPECT_EQ(treeViolation(root.get()), "");
    }

    ScanOptions noDedup;
    noDedup.deduplicateHardLinks = false;
    NodeRef twice = DiskScanner::scanQuietly(t.root(), noDedup);
    EXPECT_EQ(twice->size(), 2 * allocated);
    EXPECT_EQ(twice->logicalSize(), 2 * static_cast<std::int64_t>(MiB));
}

TEST(ScannerAccounting, HardLinkWhoseTwinIsOutsideTheScanCountsFully) {
    TempTree t;
    t.dir("in");
    t.dir("out");
    t.file("in/file", 3 * 4096);
    t.hardlink(t.path("in/file"), t.path("out/twin"));
    NodeRef root = DiskScanner::scanQuietly(t.path("in"), {});
    EXPECT_EQ(root->size(), allocatedOf(t.path("in/file")));
    EXPECT_EQ(root->logicalSize(), 3 * 4096);
    // Two scans do not share what they have seen.
    NodeRef again = DiskScanner::scanQuietly(t.path("in"), {});
    EXPECT_EQ(again->size(), root->size());
}

TEST(ScannerAccounting, AScanCanRecordItsFilesWithOtherLinks) {
    TempTree t;
    t.dir("scan");
    t.dir("scan/x");
    t.dir("scan/y");
    t.file("scan/x/original", 4096);
    t.hardlink(t.path("scan/x/original"), t.path("scan/y/copy"));
    t.dir("out");
    t.file("scan/twin", 4096);
    t.hardlink(t.path("scan/twin"), t.path("out/twin"));
    t.file("scan/single", 4096);
    t.symlink(t.path("scan/x/original"), "scan/link");

    for (int workers : {1, 4}) {
        const ScanWithHardLinks scan = DiskScanner::scanRecordingHardLinks(t.path("scan"), withWorkers(workers));
        ASSERT_TRUE(scan.root);
        std::map<std::string, const ScannedHardLink*> byPath;
        for (const ScannedHardLink& link : scan.hardLinks) {
            std::string path;
            for (const FileNode* n = link.node.get(); n && n != scan.root.get(); n = n->parent())
                path = "/" + std::string(n->name()) + path;
            byPath[path] = &link;
        }
        // Only regular files with other links, each once, as nodes of the tree.
        ASSERT_EQ(byPath.size(), 3u) << workers;
        ASSERT_EQ(scan.hardLinks.size(), 3u);
        for (const char* path : {"x/original", "y/copy", "twin"}) {
            ASSERT_TRUE(byPath.count(std::string("/") + path)) << path;
            EXPECT_EQ(byPath[std::string("/") + path]->node.get(), find(scan.root.get(), path));
            EXPECT_EQ(byPath[std::string("/") + path]->linkCount, 2u);
        }
        const ScannedHardLink& a = *byPath["/x/original"];
        const ScannedHardLink& b = *byPath["/y/copy"];
        EXPECT_EQ(a.inode, b.inode);
        EXPECT_EQ(a.device, b.device);
        EXPECT_NE(a.inode, byPath["/twin"]->inode);
        // Counted as a scan that records nothing counts.
        EXPECT_EQ(scan.root->size(), DiskScanner::scanQuietly(t.path("scan"), withWorkers(workers))->size());
    }
}

TEST(ScannerAccounting, SymbolicLinksAreCountedThemselvesAndNeverFollowed) {
    TempTree t;
    t.dir("target");
    t.file("target/big", 200000);
    t.dir("scan");
    t.file("scan/small", 10);
    t.symlink(t.path("target"), "scan/to-dir");
    t.symlink(t.path("target/big"), "scan/to-file");
    t.symlink("/nonexistent/nowhere", "scan/dangling");

    NodeRef root = DiskScanner::scanQuietly(t.path("scan"), {});
    ASSERT_TRUE(root);
    EXPECT_EQ(root->fileCount(), 4);
    for (const char* name : {"to-dir", "to-file", "dangling"}) {
        const FileNode* link = find(root.get(), name);
        ASSERT_NE(link, nullptr) << name;
        EXPECT_EQ(link->kind(), FileNode::Kind::symlink) << name;
        EXPECT_EQ(link->childCount(), 0u);
        EXPECT_EQ(link->logicalSize(), lengthOf(t.path(std::string("scan/") + name))) << name;
        EXPECT_EQ(link->size(), allocatedOf(t.path(std::string("scan/") + name))) << name;
        EXPECT_EQ(link->fileCount(), 1);
    }
    EXPECT_LT(root->logicalSize(), 200000);

    // A link given as the target is followed: it is scanned as its folder.
    t.symlink(t.path("target"), "link-to-target");
    NodeRef followed = DiskScanner::scanQuietly(t.path("link-to-target"), {});
    EXPECT_EQ(followed->name(), t.path("link-to-target"));
    EXPECT_EQ(followed->kind(), FileNode::Kind::directory);
    EXPECT_EQ(followed->logicalSize(), 200000);
    ASSERT_NE(find(followed.get(), "big"), nullptr);
}

TEST(ScannerAccounting, SparseFilesReportAllocatedAndLogicalSizesApart) {
    TempTree t;
    t.sparse("sparse", 64 * MiB, 4096);
    t.file("dense", 8192);
    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    const FileNode* sparse = find(root.get(), "sparse");
    ASSERT_NE(sparse, nullptr);
    EXPECT_EQ(sparse->logicalSize(), static_cast<std::int64_t>(64 * MiB));
    EXPECT_EQ(sparse->size(), allocatedOf(t.path("sparse")));
    EXPECT_LT(sparse->size(), sparse->logicalSize());
    EXPECT_EQ(root->size(), sparse->size() + allocatedOf(t.path("dense")));
    EXPECT_EQ(root->logicalSize(), static_cast<std::int64_t>(64 * MiB) + 8192);
    // The largest allocation comes first, whatever the logical size.
    if (allocatedOf(t.path("dense")) > sparse->size()) {
        EXPECT_EQ(root->children()[0]->name(), "dense");
    }
}

TEST(ScannerAccounting, PipesAndSocketsCountAsFiles) {
    TempTree t;
    t.fifo("pipe");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = t.path("sock");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    ::close(s);
    EXPECT_EQ(root->fileCount(), 2);
    EXPECT_EQ(find(root.get(), "pipe")->kind(), FileNode::Kind::file);
    EXPECT_EQ(find(root.get(), "sock")->kind(), FileNode::Kind::file);
}

TEST(ScannerAccounting, ChildrenAreSortedBySizeThenName) {
    TempTree t;
    t.file("b", 8192);
    t.file("a", 8192);
    t.file("c", 1 << 16);
    t.file("0-empty", 0);
    t.dir("empty-dir");
    t.dir("sub");
    t.file("sub/x", 8192);
    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    std::vector<std::string> names;
    for (const NodeRef& c : root->children()) names.emplace_back(c->name());
    // sub holds as much as a and b: equal sizes go by name.
    EXPECT_EQ(names, (std::vector<std::string>{"c", "a", "b", "sub", "0-empty", "empty-dir"}));
}

TEST(ScannerAccounting, ChildOrderHoldsForNamesOfEveryLengthAndPrefix) {
    // Names of 0 to 40 bytes that share long prefixes and end at every point of the
    // 16 bytes a sort key holds; a few sizes, so that most ties go by name.
    std::vector<std::string> names;
    const std::string stems[] = {"", "a", "file-12345", "file-1234567890ab", "file-1234567890abcdef-", "Z", "~~"};
    for (const std::string& stem : stems)
        for (int tailLength = 0; tailLength <= 18; ++tailLength)
            for (char c : {'0', '9', 'a', '~'}) names.push_back(stem + std::string(static_cast<std::size_t>(tailLength), c));
    names.push_back("caf\xc3\xa9");         // valid UTF-8
    names.push_back("caf\xc3\xa9-long-enough-name");
    const auto nodesOf = [&](bool withInvalid) {
        std::vector<NodeRef> nodes;
        std::uint64_t x = 42;
        for (const std::string& name : names) {
            x = x * 6364136223846793005ull + 1442695040888963407ull;
            nodes.push_back(FileNode::make(name, FileNode::Kind::file, static_cast<std::int64_t>(x >> 62), 0, 1, 0));
        }
        if (withInvalid) nodes.push_back(FileNode::make("caf\xe9", FileNode::Kind::file, 1, 0, 1, 0));
        std::reverse(nodes.begin(), nodes.end());
        return nodes;
    };
    for (bool withInvalid : {false, true}) {
        std::vector<NodeRef> sorted = nodesOf(withInvalid);
        std::vector<NodeRef> expected = sorted;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const NodeRef& a, const NodeRef& b) { return FileNode::childOrder(*a, *b); });
        sortChildNodes(sorted);
        ASSERT_EQ(sorted.size(), expected.size());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            EXPECT_EQ(sorted[i]->size(), expected[i]->size()) << i;
            EXPECT_EQ(sorted[i]->name(), expected[i]->name()) << i;
            EXPECT_EQ(sorted[i]->refCount(), 2u); // held by both lists, no more, no less
        }
    }
}

TEST(ScannerAccounting, PackagesAreDecidedByTheirExtension) {
    TempTree t;
    t.dir("Foo.app");
    t.dir("Foo.app/Contents");
    t.file("Foo.app/Contents/binary", 4096);
    t.dir("Shout.APP");
    t.dir("Foo.lproj");
    t.dir("Foo.bar baz");
    t.dir("Foo.abcdefghijklmnopq"); // 17 bytes after the dot
    t.dir("Foo.abcdefghijklmnop");  // 16, but not a package extension
    t.dir(".app");                  // the dot comes first
    t.dir("Lib.photoslibrary");
    t.dir("Old.migratedphotolibrary"); // a package extension of 20 bytes: too long below the root
    t.file("file.app", 10); // a file is never a package

    NodeRef root = DiskScanner::scanQuietly(t.root(), {});
    EXPECT_EQ(find(root.get(), "Foo.app")->kind(), FileNode::Kind::package);
    EXPECT_EQ(find(root.get(), "Foo.app")->childCount(), 1u);
    EXPECT_EQ(find(root.get(), "Foo.app/Contents/binary")->kind(), FileNode::Kind::file);
    EXPECT_EQ(find(root.get(), "Shout.APP")->kind(), FileNode::Kind::package);
    EXPECT_EQ(find(root.get(), "Foo.lproj")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), "Foo.bar baz")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), "Foo.abcdefghijklmnopq")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), "Foo.abcdefghijklmnop")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), ".app")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), "Lib.photoslibrary")->kind(), FileNode::Kind::package);
    EXPECT_EQ(find(root.get(), "Old.migratedphotolibrary")->kind(), FileNode::Kind::directory);
    EXPECT_EQ(find(root.get(), "file.app")->kind(), FileNode::Kind::file);

    // Not descending: the package keeps its totals but records no children; its
    // contents are still counted.
    ScanOptions flat;
    flat.descendIntoPackages = false;
    EngineScan s = scanWithEngine(t.root(), flat);
    const FileNode* app = find(s.root.get(), "Foo.app");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->kind(), FileNode::Kind::package);
    EXPECT_EQ(app->childCount(), 0u);
    EXPECT_EQ(app->fileCount(), 1);
    EXPECT_EQ(app->logicalSize(), 4096);
    EXPECT_EQ(s.totals.filesScanned, 2);
    EXPECT_EQ(treeViolation(s.root.get()), "");

    // The scan root itself.
    NodeRef rootPackage = DiskScanner::scanQuietly(t.path("Foo.app"), {});
    EXPECT_EQ(rootPackage->kind(), FileNode::Kind::package);
    EXPECT_EQ(DiskScanner::scanQuietly(t.path("Foo.lproj"), {})->kind(), FileNode::Kind::directory);
    // The root takes its whole extension, whatever its length.
    EXPECT_EQ(DiskScanner::scanQuietly(t.path("Old.migratedphotolibrary"), {})->kind(), FileNode::Kind::package);
    EXPECT_EQ(DiskScanner::scanQuietly(t.path("Shout.APP"), {})->kind(), FileNode::Kind::package);
    EXPECT_EQ(DiskScanner::scanQuietly(t.path(".app"), {})->kind(), FileNode::Kind::directory);
    EXPECT_EQ(DiskScanner::scanQuietly(t.path("Foo.bar baz"), {})->kind(), FileNode::Kind::directory);
}

TEST(ScannerAccounting, NamesThatAreNotUtf8AreScannedByTheirBytes) {
    TempTree t;
    const std::string badDir = "dir-\xff\xfe";
    const std::string badFile = "file-\xc3(.txt";
    t.dir(badDir);
    t.file(badDir + "/" + badFile, 12345);
    t.file(badDir + "/ok.txt", 100);
    t.dir("plain");
    t.file("plain/\x80", 7);

    EngineScan s = scanWithEngine(t.root());
    ASSERT_TRUE(s.root);
    EXPECT_EQ(s.totals.errorCount, 0);
    EXPECT_EQ(s.root->fileCount(), 3);
    EXPECT_EQ(s.root->logicalSize(), 12345 + 100 + 7);
    const FileNode* dir = child(s.root.get(), badDir);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->kind(), FileNode::Kind::directory);
    EXPECT_EQ(dir->fileCount(), 2);
    const FileNode* file = child(dir, badFile);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->logicalSize(), 12345);
    EXPECT_EQ(dir->displayName(), "dir-\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(file->displayName(), "file-\xEF\xBF\xBD(.txt");

    // The URL is the raw bytes, and it reaches the very file.
    const std::string url = file->url();
    EXPECT_EQ(url, t.path(badDir + "/" + badFile));
    const int fd = ::open(url.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct stat st;
    ASSERT_EQ(::fstat(fd, &st), 0);
    EXPECT_EQ(st.st_size, 12345);
    ::close(fd);
    EXPECT_EQ(treeViolation(s.root.get()), "");

    // And a root whose own path is not UTF-8.
    NodeRef badRoot = DiskScanner::scanQuietly(t.path(badDir), {});
    EXPECT_EQ(badRoot->name(), t.path(badDir));
    EXPECT_EQ(badRoot->fileCount(), 2);
}
