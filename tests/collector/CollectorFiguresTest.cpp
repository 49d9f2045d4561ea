#include "app/StateFixture.h"

#include "collector/CollectorBarButtons.h"
#include "collector/CollectorTexts.h"
#include "collector/CollectorView.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "common/AppServiceFakes.h"

#include <QApplication>
#include <QPushButton>

namespace plenwick::test {
namespace {

// /scan ─ A 110 (movie.bin 100, a.txt 10), B 5 (copy.bin 0, b.txt 5): movie.bin and
// copy.bin are two names of one file, counted on movie.bin.
class CollectorHardLinksTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        movie = file("movie.bin", 100);
        copy = file("copy.bin", 0);
        root = folder("/scan", {folder("A", {movie, file("a.txt", 10)}), folder("B", {copy, file("b.txt", 5)})});
        state->finishScan(root, AppState::computeTypeStats(root),
                          TreeHardLinks::fromScan({{movie, 1, 7, 2}, {copy, 1, 7, 2}}));
        settle();
        bar = std::make_unique<CollectorView>(*state, std::make_shared<ManualClock>());
        bar->resize(1000, CollectorView::kHeight);
        bar->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        bar.reset();
        StateTest::TearDown();
    }

    NodeRef root, movie, copy;
    std::unique_ptr<CollectorView> bar;
};

TEST_F(CollectorHardLinksTest, WhatTheCollectorFreesLeavesOutBytesThatStayUnderAnotherName) {
    state->addToCollector({movie, child(child(root, "A"), "a.txt")});
    QApplication::processEvents();
    EXPECT_EQ(bar->total()->text(), collectorBytes(10));
    bar->requestDelete();
    ShellCollectorConfirmSheet* sheet = bar->confirmSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->totalBytes(), 10);
    EXPECT_EQ(sheet->subtitle(), collectorConfirmSubtitle(10));

    // With the other name collected too, the file goes and its bytes count.
    state->addToCollector({copy});
    QApplication::processEvents();
    ASSERT_TRUE(bar->confirmSheet());
    EXPECT_EQ(bar->confirmSheet()->totalBytes(), 110);
    EXPECT_EQ(bar->total()->text(), collectorBytes(110));
    state->removeFromCollector(copy);
    QApplication::processEvents();

    // The move frees what the sheet said, and the other name carries the file after it.
    bar->confirmSheet()->confirmButton()->click();
    settle();
    EXPECT_EQ(bar->freedMessage(), collectorFreedMessage(10));
    EXPECT_EQ(copy->size(), 100);
    EXPECT_EQ(root->size(), 105);
    EXPECT_EQ(child(root, "B")->size(), 105);
    EXPECT_EQ(trashed, (std::vector<std::string>{"/scan/A/movie.bin", "/scan/A/a.txt"}));
}

} // namespace
} // namespace plenwick::test
