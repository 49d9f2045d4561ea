#include "StateFixture.h"

#include "app/PathRelations.h"
#include "app/TreeEdits.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {

// /r (250, 6 files)
// ├ A 80: a1 50, a2 30
// ├ B 60: b1 60
// ├ C 40   ├ D 40   ├ E 30   (files; C and D of equal size keep their name order)
// └ F 0 (empty folder)
struct Tree {
    NodeRef root = folder("/r", {folder("A", {file("a1", 50), file("a2", 30)}), folder("B", {file("b1", 60)}),
                                 file("C", 40), file("D", 40), file("E", 30), folder("F", {})});
    NodeRef a = child(root, "A"), b = child(root, "B");
};

} // namespace

TEST(TreeEditsTest, DetachingSubtractsExactlyAndMovesOnlyPastStrictlyLargerSiblings) {
    Tree t;
    ASSERT_EQ(names(t.root), (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
    ASSERT_EQ(t.root->size(), 250);
    ASSERT_EQ(t.root->fileCount(), 6);

    // A shrinks to 40: behind B, still in front of C and D of equal size.
    NodeRef a1 = child(t.a, "a1");
    EXPECT_EQ(detachNode(*a1), t.a.get());
    EXPECT_EQ(a1->parent(), nullptr);
    EXPECT_EQ(a1->size(), 50); // the detached node keeps its figures
    EXPECT_EQ(t.a->size(), 30);
    EXPECT_EQ(t.a->logicalSize(), 30);
    EXPECT_EQ(t.a->fileCount(), 1);
    EXPECT_EQ(t.root->size(), 200);
    EXPECT_EQ(t.root->logicalSize(), 200);
    EXPECT_EQ(t.root->fileCount(), 5);
    // A (30) passes B, C and D, which are larger, but not E of the same size.
    EXPECT_EQ(names(t.root), (std::vector<std::string>{"B", "C", "D", "A", "E", "F"}));
    for (const NodeRef& c : t.root->children()) EXPECT_EQ(c->parent(), t.root.get());

    // A node without a parent changes nothing.
    EXPECT_EQ(detachNode(*a1), nullptr);
    EXPECT_EQ(t.root->size(), 200);

    // Deeper: the whole path is corrected and re-ordered, the root itself stays.
    NodeRef deep = folder("/r", {folder("X", {folder("Y", {file("y", 100)}), file("x", 90)}), file("z", 95)});
    NodeRef x = child(deep, "X"), y = child(x, "Y");
    ASSERT_EQ(names(deep), (std::vector<std::string>{"X", "z"}));
    detachNode(*child(y, "y"));
    EXPECT_EQ(y->size(), 0);
    EXPECT_EQ(x->size(), 90);
    EXPECT_EQ(deep->size(), 185);
    EXPECT_EQ(names(x), (std::vector<std::string>{"x", "Y"}));
    EXPECT_EQ(names(deep), (std::vector<std::string>{"z", "X"}));
}

TEST(TreeEditsTest, ReplacingAddsTheDifferencesAndMovesAGrownFolderForward) {
    Tree t;
    // B grows from 60 to 100 (two files): it moves in front of A.
    NodeRef grown = folder("B", {file("b1", 60), file("b2", 40)});
    ASSERT_TRUE(replaceNode(*t.b, grown));
    EXPECT_EQ(t.b->parent(), nullptr);
    EXPECT_EQ(grown->parent(), t.root.get());
    EXPECT_EQ(t.root->size(), 290);
    EXPECT_EQ(t.root->fileCount(), 7);
    EXPECT_EQ(names(t.root), (std::vector<std::string>{"B", "A", "C", "D", "E", "F"}));

    // Emptied, it goes behind every larger sibling but not past the empty folder F.
    NodeRef emptied = folder("B", {});
    ASSERT_TRUE(replaceNode(*grown, emptied));
    EXPECT_EQ(t.root->size(), 190);
    EXPECT_EQ(t.root->fileCount(), 5);
    EXPECT_EQ(names(t.root), (std::vector<std::string>{"A", "C", "D", "E", "B", "F"}));

    EXPECT_FALSE(replaceNode(*t.root, folder("/r", {})));
}

TEST(TreeEditsTest, MappingFollowsNamesIntoTheReplacement) {
    Tree t;
    NodeRef outside = child(t.root, "C");
    NodeRef a1 = child(t.a, "a1");
    NodeRef replacement = folder("A", {folder("a1", {file("inner", 3)}), file("new", 7)});

    MappedNode same = mapIntoReplacement(outside, t.a.get(), replacement);
    EXPECT_TRUE(same.found);
    EXPECT_EQ(same.node, outside);
    MappedNode self = mapIntoReplacement(t.a, t.a.get(), replacement);
    EXPECT_TRUE(self.found);
    EXPECT_EQ(self.node, replacement);
    MappedNode kept = mapIntoReplacement(a1, t.a.get(), replacement);
    EXPECT_TRUE(kept.found);
    EXPECT_EQ(kept.node, child(replacement, "a1")); // a file that became a folder is still found
    MappedNode gone = mapIntoReplacement(child(t.a, "a2"), t.a.get(), replacement);
    EXPECT_FALSE(gone.found);
    EXPECT_EQ(gone.node, replacement); // the deepest node reached

    // Names are compared as bytes, never decoded.
    NodeRef odd = folder("/o", {folder("d\xff", {file("f", 1)})});
    NodeRef oddReplacement = folder("/o", {folder("d\xff", {file("f", 2)})});
    MappedNode raw = mapIntoReplacement(child(child(odd, "d\xff"), "f"), odd.get(), oddReplacement);
    EXPECT_TRUE(raw.found);
    EXPECT_EQ(raw.node->size(), 2);
}

TEST(PathRelations, EnclosingGoesByWholeComponents) {
    EXPECT_TRUE(pathIsOrEncloses("/scan", "/scan"));
    EXPECT_TRUE(pathIsOrEncloses("/scan", "/scan/a/b"));
    EXPECT_TRUE(pathIsOrEncloses("/", "/scan"));
    EXPECT_FALSE(pathIsOrEncloses("/sc", "/scan"));
    EXPECT_FALSE(pathIsOrEncloses("/scan/a", "/scan"));
    EXPECT_TRUE(pathComponents("/").empty());
    EXPECT_EQ(pathComponents("/a//b"), (std::vector<std::string_view>{"a", "b"}));
}
