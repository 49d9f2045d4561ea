// The folder rescan on its own, over the scan run whose results it edits.

#include "WorkflowFixture.h"

using namespace plenwick;
using namespace plenwick::test;

TEST_F(WorkflowTest, ARescanSwapsTheFolderInOrPrunesItAndDropsStaleOutcomes) {
    build();
    const std::string base = dir.path().toStdString() + "/scan";
    std::filesystem::create_directories(base + "/sub");
    std::filesystem::create_directories(base + "/gone");
    std::ofstream(base + "/sub/a.txt") << std::string(5000, 'x');
    std::ofstream(base + "/gone/g.txt") << std::string(100, 'x');
    scan->start(base);
    settle();
    ASSERT_TRUE(results.root());
    const std::int64_t version = results.treeVersion();

    std::ofstream(base + "/sub/b.txt") << std::string(7000, 'x');
    const NodeRef sub = results.nodeForURL(base + "/sub");
    navigation.setFocus(sub);
    rescan->rescan(sub);
    EXPECT_TRUE(results.refreshingFolders().count(sub));
    rescan->rescan(sub);
    EXPECT_EQ(userInitiated->pendingCount(), 1u) << "one rescan per folder at a time";
    settle();
    const NodeRef fresh = results.nodeForURL(base + "/sub");
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, sub);
    EXPECT_EQ(fresh->childCount(), 2u);
    EXPECT_TRUE(results.refreshingFolders().empty());
    EXPECT_GT(results.treeVersion(), version);
    EXPECT_EQ(navigation.focus(), fresh) << "the holders follow the swap";

    // A folder gone from disk is handed to the pruning.
    std::filesystem::remove_all(base + "/gone");
    const NodeRef gone = results.nodeForURL(base + "/gone");
    rescan->rescan(gone);
    settle();
    EXPECT_EQ(pruned, std::vector<NodeRef>{gone});

    // New results drop an outcome begun on the old ones.
    rescan->rescan(results.nodeForURL(base + "/sub"));
    scan->finish(folder("/other", {file("x", 1)}), {});
    settle();
    EXPECT_EQ(results.root()->name(), "/other");
    EXPECT_TRUE(results.refreshingFolders().empty());
}
