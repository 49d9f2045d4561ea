#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;
using Kind = AppState::Phase::Kind;

namespace {

// root ─ A ─ B ─ C ─ c.txt
//      └ D ─ d.txt
//      └ r.txt
struct Tree {
    NodeRef root = folder("/scan", {folder("A", {folder("B", {folder("C", {file("c.txt", 10)})})}),
                                    folder("D", {file("d.txt", 5)}), file("r.txt", 1)});
    NodeRef a = child(root, "A"), b = child(a, "B"), c = child(b, "C"), d = child(root, "D");
};

} // namespace

TEST_F(StateTest, NavigationRecordsBackAndForwardStacks) {
    makeState();
    Tree t;
    state->finishScan(t.root, {});

    state->navigate(child(t.root, "r.txt")); // a file in the focus: its folder is the focus already
    EXPECT_TRUE(state->navigationHistory().empty());
    state->navigate(t.a);
    state->navigate(t.b);
    state->navigate(t.b);
    state->navigate(child(t.c, "c.txt")); // a file: its folder becomes the focus
    EXPECT_EQ(state->focus(), t.c);
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{t.root, t.a, t.b}));

    state->goBack();
    EXPECT_EQ(state->focus(), t.b);
    state->goForward();
    EXPECT_EQ(state->focus(), t.c);
    state->goBack();
    state->navigate(t.d); // a new branch empties the forward stack
    EXPECT_TRUE(state->forwardHistory().empty());
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{t.root, t.a, t.b}));

    // A node of another tree is ignored.
    state->navigate(folder("elsewhere", {}));
    EXPECT_EQ(state->focus(), t.d);
}

TEST_F(StateTest, BackSkipsEntriesThatLeftTheTree) {
    makeState();
    Tree t;
    state->finishScan(t.root, {});
    state->navigate(t.a);
    state->navigate(t.b);
    state->navigate(t.d);
    // The newest back entry B leaves the tree (its folder went to the Trash).
    t.a->removeChildAt(0);
    state->goBack();
    EXPECT_EQ(state->focus(), t.a);
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{t.root}));
    EXPECT_EQ(state->forwardHistory(), (std::vector<NodeRef>{t.d}));

    // A itself leaves the tree while focused; Back passes over it to the root.
    t.root->removeChildAt(t.root->indexOfChild(t.a.get()));
    state->navigate(t.d);
    state->goBack();
    EXPECT_EQ(state->focus(), t.root);
    // Nothing usable left: the stack ends empty and the focus stays.
    state->goBack();
    EXPECT_TRUE(state->navigationHistory().empty());
    EXPECT_EQ(state->focus(), t.root);
}

TEST_F(StateTest, HomeAndBackToResultsKeepTheResults) {
    makeState();
    Tree t;
    state->finishScan(t.root, {});
    state->navigate(t.a);
    state->setHovered(t.b);
    const auto volumeGeneration = state->volumeRefresh().volumes().refreshGeneration();
    state->goHome();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->hovered());
    EXPECT_GT(state->volumeRefresh().volumes().refreshGeneration(), volumeGeneration);
    EXPECT_EQ(state->focus(), t.a);
    state->backToResults();
    EXPECT_EQ(state->phase().kind(), Kind::results);

    // Choosing a folder asks the view and changes nothing itself; the view's answer
    // starts the scan, and a cancelled dialog gives none.
    const std::string folderPath = makeTree({{"x.txt", 10}});
    int requests = 0;
    std::optional<std::string> answer;
    QObject::connect(state.get(), &AppState::folderChoiceRequested, state.get(), [&] {
        ++requests;
        if (answer) state->startScan(*answer);
    }, Qt::QueuedConnection);
    const auto changes = log.emitted.size();
    state->chooseFolder();
    EXPECT_EQ(requests, 0);
    deliver();
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(log.emitted.size(), changes);
    answer = folderPath;
    state->chooseFolder();
    deliver();
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    runUserJobs();
    EXPECT_EQ(state->root()->name(), folderPath);

    // Rescan after a failure uses the target.
    state->startScan(folderPath + "/gone");
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::failed);
    state->rescanAll();
    EXPECT_EQ(state->scanTarget(), folderPath + "/gone");
}
