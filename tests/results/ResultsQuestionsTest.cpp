#include "ViewFixture.h"

#include "results/ResultsQuestions.h"
#include "results/ResultsView.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

namespace plenwick::test {
namespace {

QAbstractButton* button(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) return b;
    return nullptr;
}

// /scan ─ Big 100 (big1 100), One.app 10, Two.app 20, Three.app 30
class ResultsQuestionsTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        tree = folder("/scan", {folder("Big", {file("big1", 100)}), node("One.app", FileNode::Kind::package, 10),
                                node("Two.app", FileNode::Kind::package, 20),
                                node("Three.app", FileNode::Kind::package, 30)});
        state->finishScan(tree, {});
        settle();
        questions = root->resultsView()->questions();
        ASSERT_TRUE(questions);
    }
    QMessageBox* offer() const { return questions->leftoverOffer(); }
    QMessageBox* confirmation() const { return questions->trashConfirmation(); }

    NodeRef tree;
    ResultsQuestions* questions = nullptr;
};

TEST_F(ResultsQuestionsTest, OffersAreAskedOneAfterTheOtherAndWaitForAnOpenSession) {
    EXPECT_FALSE(offer());
    EXPECT_EQ(leftoverOfferTitle(nullptr, {}), "");
    state->addToCollector({child(tree, "One.app"), child(tree, "Two.app"), child(tree, "Three.app")});
    ASSERT_TRUE(offer());
    EXPECT_EQ(offer()->text(), "Also remove what “One.app” left behind?");
    EXPECT_EQ(offer()->informativeText(),
              "Apps leave settings, caches and data in your home folder (~/.config, ~/.cache, ~/.local/share). "
              "Plenwick can look for the ones “One.app” left, and you choose which to delete along with it.");

    // "Just the App" asks about the next app at once.
    button(offer(), "Just the App")->click();
    QApplication::processEvents();
    ASSERT_TRUE(offer());
    EXPECT_EQ(offer()->text(), "Also remove what “Two.app” left behind?");
    EXPECT_EQ(state->leftoverOffers().size(), 2u);

    // Accepted: a session opens and the third offer waits until it closes.
    knowBundle("/scan/Two.app", "com.example.two");
    button(offer(), "Find Leftovers…")->click();
    QApplication::processEvents();
    EXPECT_FALSE(offer()) << "no offer while the app is read";
    runUserJobs();
    ASSERT_TRUE(state->uninstallSession());
    EXPECT_FALSE(offer());
    EXPECT_EQ(state->leftoverOffers().size(), 1u);
    state->closeUninstallSession(state->uninstallSession().get());
    QApplication::processEvents();
    ASSERT_TRUE(offer());
    EXPECT_EQ(offer()->text(), "Also remove what “Three.app” left behind?");

    // Escape is "Just the App".
    QTest::keyClick(offer(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(offer());
    EXPECT_TRUE(state->leftoverOffers().empty());
    EXPECT_FALSE(state->uninstallSession());
}

TEST_F(ResultsQuestionsTest, TheTrashConfirmationClearsTheItemBeforeItMoves) {
    EXPECT_EQ(trashConfirmTitle(nullptr, {}), "Move to Trash?");
    EXPECT_EQ(trashConfirmMessage(nullptr), "");
    const NodeRef big = child(tree, "Big");
    state->setPendingTrash(big);
    ASSERT_TRUE(confirmation());
    EXPECT_EQ(confirmation()->text(), "Move “Big” to the Trash?");
    EXPECT_EQ(confirmation()->informativeText(), trashConfirmMessage(big.get()));
    EXPECT_TRUE(confirmation()->informativeText().startsWith("This frees about "));

    // Escape cancels; another item shows the dialog again with its name.
    QTest::keyClick(confirmation(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(state->pendingTrash());
    EXPECT_FALSE(confirmation());
    state->setPendingTrash(child(tree, "One.app"));
    ASSERT_TRUE(confirmation());
    EXPECT_EQ(confirmation()->text(), "Move “One.app” to the Trash?");
    state->setPendingTrash(big);
    EXPECT_EQ(confirmation()->text(), "Move “Big” to the Trash?");

    // Confirmed: the item is cleared first, then moved and pruned.
    button(confirmation(), "Move to Trash")->click();
    QApplication::processEvents();
    EXPECT_FALSE(state->pendingTrash());
    EXPECT_FALSE(confirmation());
    settle();
    EXPECT_EQ(trashed, (std::vector<std::string>{"/scan/Big"}));
    EXPECT_EQ(big->parent(), nullptr);
    EXPECT_EQ(tree->size(), 60);
}

} // namespace
} // namespace plenwick::test

namespace plenwick::test {
namespace {

TEST_F(ResultsQuestionsTest, AnOfferWhoseAppCantBeReadLetsTheNextOneBeAsked) {
    state->addToCollector({child(tree, "One.app"), child(tree, "Two.app")});
    ASSERT_TRUE(offer());
    button(offer(), "Find Leftovers…")->click(); // One.app is no app on disk
    QApplication::processEvents();
    EXPECT_FALSE(offer());
    runUserJobs();
    EXPECT_FALSE(state->uninstallSession());
    ASSERT_TRUE(offer());
    EXPECT_EQ(offer()->text(), "Also remove what “Two.app” left behind?");
}

} // namespace
} // namespace plenwick::test
