#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;

TEST_F(StateTest, ObserversHearOncePerOperationAndOnlyOfRealChanges) {
    makeState();
    NodeRef root = folder("/scan", {folder("A", {file("a.txt", 5)}), file("b.txt", 1)});
    state->finishScan(root, {});
    NodeRef a = child(root, "A");

    log.emitted.clear();
    state->select(a);
    state->select(a);
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::selection));

    // An open preview follows the selection; clearing the selection leaves it.
    state->setQuickLookURL(std::string("/elsewhere"));
    log.emitted.clear();
    state->select(child(a, "a.txt"));
    EXPECT_EQ(log.emitted.back(), AppState::bit(Field::selection) | AppState::bit(Field::quickLookURL));
    EXPECT_EQ(state->quickLookURL(), "/scan/A/a.txt");
    state->select({});
    EXPECT_EQ(state->quickLookURL(), "/scan/A/a.txt");

    // The uninstall session notifies on every assignment, even of the same value.
    log.emitted.clear();
    state->setUninstallSession(nullptr);
    EXPECT_EQ(log.emitted.size(), 1u);
}

TEST_F(StateTest, NodeForURLFollowsNamesFromTheRoot) {
    makeState();
    EXPECT_FALSE(state->nodeForURL("/scan"));
    NodeRef root = folder("/scan", {folder("A", {file("a.txt", 5)})});
    state->finishScan(root, {});
    EXPECT_EQ(state->nodeForURL("/scan"), root);
    EXPECT_EQ(state->nodeForURL("/scan/A/"), child(root, "A"));
    EXPECT_EQ(state->nodeForURL("/scan/A/./a.txt"), child(child(root, "A"), "a.txt"));
    EXPECT_FALSE(state->nodeForURL("/scan/A/missing.txt"));
    EXPECT_FALSE(state->nodeForURL("/other/A"));
    EXPECT_FALSE(state->nodeForURL("/"));
}

TEST_F(StateTest, CollectorChangesOnlyThroughSync) {
    makeState();
    NodeRef root = folder("/scan", {file("a", 5), file("b", 3)});
    state->finishScan(root, {});
    NodeRef a = child(root, "a"), b = child(root, "b");

    state->syncCollector({a, b});
    const auto version = state->collectorVersion();
    log.emitted.clear();
    state->syncCollector({a, b});
    EXPECT_EQ(state->collectorVersion(), version);
    EXPECT_TRUE(log.emitted.empty());
    state->syncCollector({b, a});
    EXPECT_EQ(state->collectorVersion(), version + 1);
    EXPECT_TRUE(state->isCollected(a.get()));

    log.emitted.clear();
    state->syncCollector({});
    EXPECT_EQ(state->collectorVersion(), version + 2);
    EXPECT_FALSE(state->isCollected(a.get()));
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_FALSE(log.emitted[0] & AppState::bit(Field::leftoverOffers)); // there were no offers to touch
}

TEST_F(StateTest, TreeEditsAreAnnouncedAroundTheEditAndCountAVersion) {
    makeState();
    NodeRef root = folder("/scan", {file("a", 5), file("b", 3)});
    state->finishScan(root, {});
    const auto version = state->treeVersion();
    std::vector<std::string> events;
    QObject::connect(state.get(), &AppState::treeEditWillBegin, [&] { events.push_back("will"); });
    QObject::connect(state.get(), &AppState::treeEditDidEnd, [&] { events.push_back("did"); });
    QObject::connect(state.get(), &AppState::changed, [&](quint64 f) {
        if (f & AppState::bit(Field::treeVersion)) events.push_back("changed");
    });
    state->results().editTree([&] {
        events.push_back("edit");
        root->removeChildAt(0);
    });
    EXPECT_EQ(events, (std::vector<std::string>{"will", "edit", "did", "changed"}));
    EXPECT_EQ(state->treeVersion(), version + 1);
    EXPECT_EQ(root->childCount(), 1u);
}
