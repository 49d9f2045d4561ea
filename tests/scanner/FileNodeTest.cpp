#include "scanner/FileCategory.h"
#include "scanner/FileNode.h"
#include "scanner/FileTreeLock.h"

#include <gtest/gtest.h>

#include <thread>
#include <unordered_set>

using namespace plenwick;

namespace {
NodeRef leaf(std::string_view name, std::int64_t size) {
    return FileNode::make(name, FileNode::Kind::file, size, size, 1, 0);
}
} // namespace

TEST(FileNode, UrlAndDisplayNameFollowTheParentChain) {
    NodeRef root = FileNode::make("/home/me/Projects", FileNode::Kind::directory, 0, 0, 0, 0);
    NodeRef sub = FileNode::make("src", FileNode::Kind::directory, 0, 0, 0, 0);
    NodeRef file = leaf("main.cpp", 10);
    sub->setChildren({file});
    root->setChildren({sub});
    EXPECT_EQ(file->url(), "/home/me/Projects/src/main.cpp");
    EXPECT_EQ(root->displayName(), "Projects");
    EXPECT_EQ(file->displayName(), "main.cpp");

    NodeRef top = FileNode::make("/", FileNode::Kind::directory, 0, 0, 0, 0);
    NodeRef etc = FileNode::make("etc", FileNode::Kind::directory, 0, 0, 0, 0);
    top->setChildren({etc});
    EXPECT_EQ(etc->url(), "/etc");
    EXPECT_EQ(top->displayName(), "/");
}

TEST(FileNode, DetachedNodeBecomesARootWhenItsParentDies) {
    NodeRef kept;
    {
        NodeRef root = FileNode::make("/a", FileNode::Kind::directory, 0, 0, 0, 0);
        kept = leaf("b.txt", 1);
        root->setChildren({kept, leaf("c.txt", 2)});
        EXPECT_EQ(kept->parent(), root.get());
    }
    EXPECT_EQ(kept->parent(), nullptr);
    EXPECT_EQ(kept->url(), "b.txt");
    EXPECT_EQ(kept->refCount(), 1u);
}

TEST(FileNode, ChildrenKeptAcrossAnEditKeepTheirParent) {
    NodeRef root = FileNode::make("/r", FileNode::Kind::directory, 0, 0, 0, 0);
    NodeRef a = leaf("a", 1), b = leaf("b", 2), c = leaf("c", 3);
    root->setChildren({a, b});
    root->setChildren({b, c}); // a leaves, b stays, c arrives
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(b->parent(), root.get());
    EXPECT_EQ(c->parent(), root.get());
    EXPECT_EQ(b->url(), "/r/b");
    root->replaceChildAt(0, b); // put in its own place
    EXPECT_EQ(b->parent(), root.get());
    root->replaceChildAt(0, a);
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(a->parent(), root.get());
}

TEST(FileNode, DeepChainIsTornDownWithoutRecursion) {
    NodeRef root = FileNode::make("/deep", FileNode::Kind::directory, 0, 0, 0, 0);
    FileNode* tip = root.get();
    for (int i = 0; i < 100000; ++i) {
        NodeRef next = FileNode::make("d", FileNode::Kind::directory, 0, 0, 0, 0);
        FileNode* raw = next.get();
        tip->setChildren({std::move(next)});
        tip = raw;
    }
    std::thread small([r = std::move(root)]() mutable { r.reset(); }); // default 8 MiB stack would overflow recursion
    small.join();
}

TEST(FileNode, FileExtensionRules) {
    EXPECT_EQ(fileExtensionOf("Report.PDF"), "pdf");
    EXPECT_EQ(fileExtensionOf(".zshrc"), "");
    EXPECT_EQ(fileExtensionOf("archive."), "");
    EXPECT_EQ(fileExtensionOf("notes.final version"), "");
    EXPECT_EQ(fileExtensionOf("a.b.tar"), "tar");
    EXPECT_EQ(fileExtensionOf("Photos.photoslibrary"), "photoslibrary");
    EXPECT_EQ(fileExtensionOf("x.abcdefghijklmnop"), "abcdefghijklmnop");   // 16 characters
    EXPECT_EQ(fileExtensionOf("x.abcdefghijklmnopq"), "");                  // 17
    EXPECT_EQ(fileExtensionOf("x.\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9"); // counted in characters
}

TEST(FileNode, VersionedSharedLibrariesAreSharedLibraries) {
    EXPECT_EQ(fileExtensionOf("libcusolver.so.12"), "so");
    EXPECT_EQ(fileExtensionOf("libfoo.so.1.2.3"), "so");
    EXPECT_EQ(fileExtensionOf("libnvidia-glvkspirv.so.550.54.14"), "so");
    EXPECT_EQ(fileExtensionOf("LIBFOO.SO.1"), "so");
    EXPECT_EQ(fileExtensionOf("libfoo.so"), "so");
    // Anything but numbers after the ".so", or no name before it, keeps the plain rule.
    EXPECT_EQ(fileExtensionOf("libfoo.so.1a"), "1a");
    EXPECT_EQ(fileExtensionOf("libfoo.so.1.debug"), "debug");
    EXPECT_EQ(fileExtensionOf("libfoo.so.1..2"), "2");
    EXPECT_EQ(fileExtensionOf(".so.1"), "1");
    EXPECT_EQ(fileExtensionOf("libfoo.so.1."), "");
    EXPECT_EQ(fileExtensionOf("backup.12"), "12");
    EXPECT_EQ(fileExtensionOf("archive.iso.2"), "2");
    EXPECT_EQ(fileExtensionOf("libfoo.sox.1"), "1");

    // The category, the statistics and the kind all follow from the one extension.
    NodeRef lib = FileNode::make("libcusolver.so.12", FileNode::Kind::file, 10, 10, 1, 0);
    EXPECT_EQ(lib->fileExtension(), "so");
    EXPECT_EQ(lib->category(), FileCategory::developer);
}

TEST(FileNode, ChildrenSortBySizeThenNameAndIdentityIsTheKey) {
    NodeRef root = FileNode::make("/r", FileNode::Kind::directory, 0, 0, 0, 0);
    root->setChildren({leaf("b", 5), leaf("a", 5), leaf("c", 9), leaf("b", 5)});
    root->sortChildren();
    auto kids = root->children();
    EXPECT_EQ(kids[0]->name(), "c");
    EXPECT_EQ(kids[1]->name(), "a");
    EXPECT_EQ(kids[2]->name(), "b");
    std::unordered_set<NodeRef> set(kids.begin(), kids.end());
    EXPECT_EQ(set.size(), 4u); // equal contents, different nodes

    root->removeChildAt(0);
    EXPECT_EQ(root->childCount(), 3u);
    NodeRef replacement = leaf("z", 1);
    root->replaceChildAt(1, replacement);
    EXPECT_EQ(replacement->parent(), root.get());
    EXPECT_EQ(root->indexOfChild(replacement.get()), 1);
}

TEST(FileTreeLock, WriterIsNotStarvedByOverlappingReaders) {
    FileTreeLock lock;
    std::atomic<bool> stop{false}, wrote{false};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            while (!stop) {
                FileTreeLock::ReadGuard g(lock);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    {
        FileTreeLock::WriteGuard g(lock);
        wrote = true;
    }
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_TRUE(wrote);
}

TEST(FileTreeLockDeathTest, AFailedLockAbortsInsteadOfGoingOnUnlocked) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The lock refuses to read-lock for the thread that holds it for writing.
    EXPECT_DEATH(
        {
            FileTreeLock lock;
            lock.lockWrite();
            lock.lockRead();
        },
        "FileTreeLock: read lock failed: Resource deadlock avoided");
    EXPECT_DEATH(
        {
            FileTreeLock lock;
            lock.lockWrite();
            lock.lockWrite();
        },
        "FileTreeLock: write lock failed: Resource deadlock avoided");
}
