// After each edit of the tree (a move to the Trash, a folder's rescan, the results
// reset) every field that held a node of the tree follows it or lets it go, so that
// nothing keeps a subtree that left the tree alive.

#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {

// /scan
// ├ Mail.app ─ exe 60
// ├ Mid ─ Inner ─ i1.pdf 50 ; m1.pdf 20
// └ t.txt 10
class NodeRemapTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {node("Mail.app", FileNode::Kind::package, 60, {file("exe", 60)}),
                                folder("Mid", {folder("Inner", {file("i1.pdf", 50)}), file("m1.pdf", 20)}),
                                file("t.txt", 10)});
        state->finishScan(root, AppState::computeTypeStats(root));
        settle();
        mail = child(root, "Mail.app");
        mid = child(root, "Mid");
        inner = child(mid, "Inner");
    }

    // The app collected with a leftover outside the tree and its offer still waiting;
    // the app is focused, selected, hovered and awaiting the Trash.
    void holdTheAppEverywhere() {
        state->navigate(mid);
        state->navigate(mail);
        state->addToCollector({mail});
        ASSERT_EQ(state->leftoverOffers(), (std::vector<NodeRef>{mail}));
        state->trashMoves().acceptLeftovers({remnant("/home/u/.cache/mail", 5)}, mail);
        ASSERT_EQ(state->leftovers(mail.get()).size(), 1u);
        state->select(child(mail, "exe"));
        state->setHovered(mail);
        state->setPendingTrash(mail);
        state->setQuickLookURL(std::string("/scan/Mail.app/exe"));
    }

    // Every field that held the app, or a node inside it, lets it go.
    void expectTheAppLetGoOf() const {
    EXPECT_EQ(state->selection(), NodeRef());
    EXPECT_EQ(state->hovered(), NodeRef());
    EXPECT_EQ(state->pendingTrash(), NodeRef());
    EXPECT_EQ(state->quickLookURL(), std::nullopt);
    EXPECT_TRUE(state->collector().empty());
    EXPECT_TRUE(state->collectorLeftovers().empty());
    EXPECT_TRUE(state->leftoverOffers().empty());
    EXPECT_TRUE(state->trashMoves().collector().offeredApps().empty());
    }

    NodeRef root, mail, mid, inner;
};

} // namespace

TEST_F(NodeRemapTest, ATrashedAppIsLetGoOfByEveryField) {
    holdTheAppEverywhere();
    state->trashCollected();
    settle();

    ASSERT_EQ(mail->parent(), nullptr);
    EXPECT_EQ(state->focus(), root);
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{root, mid}));
    EXPECT_EQ(state->forwardHistory(), std::vector<NodeRef>{});
    expectTheAppLetGoOf();
    // Only the test still holds the detached app.
    EXPECT_EQ(mail->refCount(), 1u);
}

TEST_F(NodeRemapTest, ARescannedFolderIsLetGoOfAndItsNodesReKeyed) {
    state->navigate(inner);
    state->goBack();
    ASSERT_EQ(state->forwardHistory(), (std::vector<NodeRef>{inner}));
    state->navigate(mid);
    state->navigate(inner);
    state->select(child(mid, "m1.pdf"));
    state->setPendingTrash(child(inner, "i1.pdf"));
    state->setHovered(child(mid, "m1.pdf"));
    state->addToCollector({child(inner, "i1.pdf"), child(root, "t.txt")});

    // The rescan finds m1.pdf gone and a new file beside Inner.
    const NodeRef fresh = folder("/scan/Mid", {folder("Inner", {file("i1.pdf", 50)}), file("m2.pdf", 5)});
    state->folderRescan().apply(mid, fresh, {});
    settle();

    const NodeRef newMid = child(root, "Mid");
    const NodeRef newInner = child(newMid, "Inner");
    ASSERT_NE(newMid, mid);
    EXPECT_EQ(state->focus(), newInner);
    EXPECT_EQ(state->navigationHistory(), (std::vector<NodeRef>{root, newMid}));
    EXPECT_EQ(state->selection(), NodeRef());
    EXPECT_EQ(state->hovered(), NodeRef());
    EXPECT_EQ(state->pendingTrash(), child(newInner, "i1.pdf"));
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{child(newInner, "i1.pdf"), child(root, "t.txt")}));
    EXPECT_EQ(mid->refCount(), 1u);
    EXPECT_EQ(inner->refCount(), 2u); // the test's and its old parent's
}

TEST_F(NodeRemapTest, AResetLetsGoOfTheWholeTree) {
    holdTheAppEverywhere();
    state->scanRun().reset();
    settle();

    EXPECT_EQ(state->root(), NodeRef());
    EXPECT_EQ(state->focus(), NodeRef());
    EXPECT_TRUE(state->navigationHistory().empty());
    expectTheAppLetGoOf();
    EXPECT_EQ(root->refCount(), 1u);
    EXPECT_EQ(mail->refCount(), 2u); // the test's and the root's
}
