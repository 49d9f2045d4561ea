#include "ViewFixture.h"

#include "results/ResultsQuestions.h"
#include "results/ResultsView.h"

#include "platform/ByteCountFormatter.h"

#include <QMessageBox>

namespace plenwick::test {
namespace {

// /scan ─ A (movie.bin 100 KB, a.txt 10 KB), B (copy.bin): movie.bin and copy.bin are
// two names of one file, counted on movie.bin.
TEST_F(ViewTest, TheTrashConfirmationLeavesOutBytesThatStayUnderAnotherName) {
    const NodeRef movie = file("movie.bin", 100'000), copy = file("copy.bin", 0);
    const NodeRef tree = folder("/scan", {folder("A", {movie, file("a.txt", 10'000)}), folder("B", {copy})});
    state->finishScan(tree, {}, TreeHardLinks::fromScan({{movie, 1, 7, 2}, {copy, 1, 7, 2}}));
    settle();
    ResultsQuestions* questions = root->resultsView()->questions();
    ASSERT_TRUE(questions);

    state->setPendingTrash(child(tree, "A"));
    ASSERT_TRUE(questions->trashConfirmation());
    EXPECT_EQ(questions->trashConfirmation()->informativeText(), trashConfirmMessage(child(tree, "A").get(), 10'000));
    EXPECT_TRUE(questions->trashConfirmation()->informativeText().startsWith(
        QStringLiteral("This frees about ") + QString::fromStdString(formatByteCount(10'000)) + "."));
    // The name that counts nothing frees nothing either way; one without other names
    // frees its size.
    state->setPendingTrash(copy);
    EXPECT_EQ(questions->trashConfirmation()->informativeText(), trashConfirmMessage(copy.get(), 0));
    state->setPendingTrash(child(child(tree, "A"), "a.txt"));
    EXPECT_EQ(questions->trashConfirmation()->informativeText(),
              trashConfirmMessage(child(child(tree, "A"), "a.txt").get()));
}

// An unreadable folder's contents were never seen: the confirmation names no figure.
TEST_F(ViewTest, TheTrashConfirmationOfAnUnreadableFolderClaimsNoFigure) {
    const NodeRef locked = node("Locked", FileNode::Kind::inaccessible, 0);
    const NodeRef tree = folder("/scan", {locked, file("a.txt", 10'000)});
    state->finishScan(tree, {});
    settle();
    ResultsQuestions* questions = root->resultsView()->questions();
    ASSERT_TRUE(questions);
    state->setPendingTrash(locked);
    ASSERT_TRUE(questions->trashConfirmation());
    const QString message = questions->trashConfirmation()->informativeText();
    EXPECT_FALSE(message.contains(QString::fromStdString(formatByteCount(0)))) << message.toStdString();
    EXPECT_TRUE(message.contains("unknown")) << message.toStdString();
}

} // namespace
} // namespace plenwick::test
