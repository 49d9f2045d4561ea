// What the collector says it frees: an unreadable folder's size is no figure, and the
// bytes of a file that keeps another name in the tree are not freed, and its row says so.
#include "app/StateFixture.h"

#include "collector/CollectorBarButtons.h"
#include "collector/CollectorChipStrip.h"
#include "collector/CollectorTexts.h"
#include "collector/CollectorView.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "collector/ShellCollectorItemsList.h"
#include "common/AppServiceFakes.h"

#include <QApplication>
#include <QPushButton>

namespace plenwick::test {
namespace {

// /scan ─ A 110 (movie.bin 100, a.txt 10), B 5 (copy.bin 0, b.txt 5), Locked (unreadable):
// movie.bin and copy.bin are two names of one file, counted on movie.bin.
class CollectorFiguresTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        movie = file("movie.bin", 100);
        copy = file("copy.bin", 0);
        locked = node("Locked", FileNode::Kind::inaccessible, 0);
        root = folder("/scan", {folder("A", {movie, file("a.txt", 10)}), folder("B", {copy, file("b.txt", 5)}), locked});
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
    void collect(std::vector<NodeRef> nodes) {
        state->addToCollector(nodes);
        QApplication::processEvents();
    }
    const ShellCollectorChip& chip(std::size_t index) const { return bar->chipStrip()->chips().at(index); }
    // The popup of collected items, opened when it is not.
    ShellCollectorItemsList& list() {
        if (!bar->itemsList()) bar->headerButton()->click();
        QApplication::processEvents();
        EXPECT_TRUE(bar->itemsList());
        return *bar->itemsList();
    }

    NodeRef root, movie, copy, locked;
    std::unique_ptr<CollectorView> bar;
};

TEST_F(CollectorFiguresTest, WhatTheCollectorFreesLeavesOutBytesThatStayUnderAnotherName) {
    collect({movie, child(child(root, "A"), "a.txt")});
    EXPECT_EQ(bar->total()->text(), collectorBytes(10));
    bar->requestDelete();
    ShellCollectorConfirmSheet* sheet = bar->confirmSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->totalBytes(), 10);
    EXPECT_EQ(sheet->subtitle(), collectorConfirmSubtitle({10, 0}));

    // With the other name collected too, the file goes and its bytes count.
    collect({copy});
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

TEST_F(CollectorFiguresTest, ARowWhoseBytesStayUnderAnotherNameSaysWhy) {
    collect({movie});
    const QString why = QStringLiteral("its bytes stay on disk under another name");
    EXPECT_EQ(bar->total()->text(), collectorBytes(0));
    EXPECT_EQ(chip(0).help(), "/scan/A/movie.bin — " + collectorBytes(100) + " (" + why + ")");
    {
        ShellCollectorItemsList& items = list();
        EXPECT_EQ(items.rowSize(*movie), collectorBytes(100)) << "the row keeps the file's size";
        EXPECT_EQ(items.rowSubtitle(*movie), "/scan/A · " + why);
    }
    bar->requestDelete();
    ASSERT_TRUE(bar->confirmSheet());
    EXPECT_EQ(bar->confirmSheet()->rowSubtitle(*movie), "/scan/A · " + why);

    // A folder holding the counted name: part of it stays.
    state->syncCollector({child(root, "A")});
    QApplication::processEvents();
    const QString part = collectorBytes(100) + " of it stay on disk under other names";
    EXPECT_EQ(bar->total()->text(), collectorBytes(10));
    EXPECT_EQ(chip(0).help(), "/scan/A — " + collectorBytes(110) + " (" + part + ")");
    ASSERT_TRUE(bar->confirmSheet());
    EXPECT_EQ(bar->confirmSheet()->rowSubtitle(*child(root, "A")), "/scan · " + part);

    // Both names going, nothing stays and no row explains anything.
    collect({child(root, "B")});
    EXPECT_EQ(bar->total()->text(), collectorBytes(115));
    EXPECT_EQ(chip(0).help(), "/scan/A — " + collectorBytes(110));
    EXPECT_EQ(bar->confirmSheet()->rowSubtitle(*child(root, "A")), "/scan");
}

TEST_F(CollectorFiguresTest, AnUnreadableFolderIsNeverAFigureAndTheTotalSaysWhatIsKnown) {
    collect({locked});
    EXPECT_EQ(chip(0).help(), "/scan/Locked — —");
    EXPECT_EQ(bar->total()->text(), "—");
    EXPECT_EQ(bar->summaryButton()->toolTip(), "1 item, an unknown amount to free. Click to show them.");
    {
        ShellCollectorItemsList& items = list();
        EXPECT_EQ(items.rowSize(*locked), "—");
        EXPECT_EQ(items.totalText(), "—");
    }
    bar->requestDelete();
    ShellCollectorConfirmSheet* sheet = bar->confirmSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->subtitle(), "Plenwick couldn’t read inside it, so what this frees is unknown. You can restore "
                                 "items from the Trash until you empty it.");

    // Beside a readable file, the known part is a lower bound.
    collect({child(child(root, "B"), "b.txt")});
    const QString atLeast = "at least " + collectorBytes(5);
    EXPECT_EQ(bar->total()->text(), atLeast);
    EXPECT_EQ(bar->summaryButton()->toolTip(), "2 items, " + atLeast + " to free. Click to show them.");
    ASSERT_TRUE(bar->confirmSheet());
    EXPECT_EQ(bar->confirmSheet()->total(), (CollectorFigure{5, 1}));
    EXPECT_EQ(bar->confirmSheet()->subtitle(), "This frees at least " + collectorBytes(5) +
                                                   ", and more in what Plenwick couldn’t read. You can restore items "
                                                   "from the Trash until you empty it.");
    bar->confirmSheet()->cancelButton()->click();
    QApplication::processEvents();
    ShellCollectorItemsList& items = list();
    EXPECT_EQ(items.totalText(), atLeast);
    EXPECT_EQ(items.rowSize(*child(child(root, "B"), "b.txt")), collectorBytes(5));
    EXPECT_EQ(items.rowSize(*locked), "—");
}

} // namespace
} // namespace plenwick::test
