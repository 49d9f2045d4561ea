#include "app/StateFixture.h"

#include "collector/CollectorBarButtons.h"
#include "collector/CollectorChipStrip.h"
#include "collector/CollectorMotion.h"
#include "collector/CollectorRowList.h"
#include "collector/CollectorTexts.h"
#include "collector/CollectorView.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "collector/ShellCollectorItemsList.h"
#include "collector/ShellFreedBadge.h"
#include "common/AppServiceFakes.h"
#include "common/DuringNotification.h"
#include "platform/MotionPreference.h"
#include "shell/FileIconCache.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QHelpEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QUrl>
#include <QVariantAnimation>

namespace plenwick::test {
namespace {

using namespace std::chrono_literals;

QList<QUrl> urls(std::initializer_list<const char*> paths) {
    QList<QUrl> list;
    for (const char* path : paths) list << QUrl::fromLocalFile(QString::fromUtf8(path));
    return list;
}

// /scan 270 ─ Big 100 (big1 60, big2 40), Mid 70 (m1 50, m2 20), Small 30 (s1 30),
// Mail.app 60, t.txt 10
class CollectorViewTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {folder("Big", {file("big1", 60), file("big2", 40)}),
                                folder("Mid", {file("m1", 50), file("m2", 20)}), folder("Small", {file("s1", 30)}),
                                node("Mail.app", FileNode::Kind::package, 60), file("t.txt", 10)});
        state->finishScan(root, AppState::computeTypeStats(root));
        settle();
        big = child(root, "Big");
        mid = child(root, "Mid");
        small = child(root, "Small");
        clock = std::make_shared<ManualClock>();
        bar = std::make_unique<CollectorView>(*state, clock);
        bar->resize(1000, CollectorView::kHeight);
        bar->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        bar.reset();
        StateTest::TearDown();
    }
    // Moves the collector through the confirm sheet.
    void deleteCollected() {
        bar->requestDelete();
        ASSERT_TRUE(bar->confirmSheet());
        bar->confirmSheet()->confirmButton()->click();
        settle();
    }

    NodeRef root, big, mid, small;
    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<CollectorView> bar;
};

TEST_F(CollectorViewTest, EmptyCardThenTheLayoutThatFitsTheWidth) {
    EXPECT_TRUE(bar->isEmptyShown());
    EXPECT_TRUE(bar->hintShowsShortcut());
    EXPECT_TRUE(bar->hintText().startsWith("Drag items here to collect them for deletion or press "));
    bar->resize(200, CollectorView::kHeight);
    EXPECT_EQ(bar->hintText(), "Drag items here to collect them for deletion");

    state->addToCollector({big, child(mid, "m2")});
    EXPECT_FALSE(bar->isEmptyShown());
    EXPECT_EQ(bar->total()->text(), collectorBytes(120));
    EXPECT_EQ(bar->summaryButton()->toolTip(), "2 items, " + collectorBytes(120) + " to free. Click to show them.");

    bar->resize(bar->wideMinimumWidth(), CollectorView::kHeight);
    EXPECT_EQ(bar->layoutShown(), CollectorBarLayout::wide);
    EXPECT_TRUE(bar->chipStrip()->isVisible());
    bar->resize(bar->wideMinimumWidth() - 1, CollectorView::kHeight);
    EXPECT_EQ(bar->layoutShown(), CollectorBarLayout::medium);
    EXPECT_FALSE(bar->chipStrip()->isVisible());
    EXPECT_TRUE(bar->clearButton()->isVisible());
    bar->resize(bar->mediumMinimumWidth() - 1, CollectorView::kHeight);
    EXPECT_EQ(bar->layoutShown(), CollectorBarLayout::compact);
    EXPECT_TRUE(bar->compactDeleteButton()->isVisible());
    EXPECT_FALSE(bar->deleteButton()->isVisible());
    EXPECT_TRUE(bar->compactDeleteButton()->text().isEmpty());
}

TEST_F(CollectorViewTest, DropsCollectFilesOfTheTreeAndRefuseTheRest) {
    EXPECT_FALSE(bar->acceptDroppedURLs(urls({"/scan"})));
    EXPECT_FALSE(bar->acceptDroppedURLs({QUrl("https://example.com/scan/Big")}));
    EXPECT_FALSE(bar->acceptDroppedURLs(urls({"/elsewhere/file"})));
    EXPECT_TRUE(state->collector().empty());

    // A folder and a file inside it both pass; the state keeps the folder alone.
    EXPECT_TRUE(bar->acceptDroppedURLs(urls({"/scan/Big/big1", "/scan/Small", "/scan/Small", "/scan/Big"})));
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{small, big}));

    // A real drop of file URLs through the widget's events.
    QMimeData data;
    data.setUrls(urls({"/scan/t.txt"}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(bar->isDropTargeted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &drop);
    EXPECT_FALSE(bar->isDropTargeted());
    EXPECT_EQ(state->collector().back(), child(root, "t.txt"));

    QMimeData text;
    text.setText("no files");
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(bar->isDropTargeted());
}

TEST_F(CollectorViewTest, TheHeaderButtonOpensAndClosesTheList) {
    state->addToCollector({big, mid});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    QTest::mouseClick(bar->headerButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->itemsList() && bar->itemsList()->isVisible(); }));
    QTest::mouseClick(bar->headerButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(bar->itemsList() && bar->itemsList()->isVisible()); }));
}

TEST_F(CollectorViewTest, ClearEmptiesWithoutMovingAndClosesTheList) {
    state->addToCollector({big, mid});
    bar->headerButton()->click();
    ASSERT_TRUE(bar->itemsList());
    EXPECT_EQ(bar->itemsList()->title(), "2 Collected Items");
    bar->clearButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(state->collector().empty());
    EXPECT_FALSE(bar->itemsList() && bar->itemsList()->isVisible());
    EXPECT_TRUE(trashed.empty());
}

TEST_F(CollectorViewTest, TheSheetListsLargestFirstAndMovesOnlyWhenConfirmed) {
    state->addToCollector({small, child(root, "t.txt"), big});
    bar->requestDelete();
    ShellCollectorConfirmSheet* sheet = bar->confirmSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->items(), (std::vector<NodeRef>{big, small, child(root, "t.txt")}));
    EXPECT_EQ(sheet->title(), "Move 3 items to the Trash?");
    EXPECT_EQ(sheet->totalBytes(), 140);
    EXPECT_EQ(sheet->width(), ShellCollectorConfirmSheet::kWidth);
    EXPECT_EQ(sheet->list()->height(), 3 * 42 + 12);

    // Escape cancels: nothing moves.
    QTest::keyClick(sheet, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(bar->confirmSheet());
    settle();
    EXPECT_TRUE(trashed.empty());

    // Return confirms.
    bar->requestDelete();
    QTest::keyClick(bar->confirmSheet(), Qt::Key_Return);
    settle();
    EXPECT_EQ(trashed, (std::vector<std::string>{"/scan/Small", "/scan/t.txt", "/scan/Big"}));
    EXPECT_TRUE(state->collector().empty());
    EXPECT_EQ(root->size(), 130);
}

TEST_F(CollectorViewTest, TheFreedBadgeStaysThreeAndAHalfSecondsAfterTheLastMove) {
    state->addToCollector({big});
    deleteCollected();
    ASSERT_TRUE(bar->freedMessage());
    EXPECT_EQ(*bar->freedMessage(), "Freed " + collectorBytes(100));
    EXPECT_TRUE(bar->freedBadge()->isAppearing());
    EXPECT_TRUE(bar->freedBadge()->isVisible());

    clock->advance(2s);
    state->addToCollector({small});
    deleteCollected();
    EXPECT_EQ(*bar->freedMessage(), "Freed " + collectorBytes(30));
    clock->advance(1500ms); // the first timer finds a newer message
    EXPECT_TRUE(bar->freedMessage());
    clock->advance(1999ms);
    EXPECT_TRUE(bar->freedMessage());
    clock->advance(1ms);
    EXPECT_FALSE(bar->freedMessage());
    EXPECT_FALSE(bar->freedBadge()->isAppearing());

    // Into a Trash inside the scanned folder nothing was freed there: the badge says
    // what moved.
    bar->showFreed(100, true);
    EXPECT_EQ(*bar->freedMessage(), "Moved " + collectorBytes(100) + " to the Trash");
}

TEST_F(CollectorViewTest, APartialFailureKeepsTheRefusedItemAndShowsTheBadgeOverTheBar) {
    refused.insert("/scan/Mid");
    state->addToCollector({big, mid});
    deleteCollected();
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{mid}));
    EXPECT_FALSE(bar->isEmptyShown());
    EXPECT_EQ(*bar->freedMessage(), "Freed " + collectorBytes(100));
    EXPECT_TRUE(bar->freedBadge()->isVisible());
    EXPECT_EQ(bar->freedBadge()->geometry().center(), bar->rect().center());
    ASSERT_TRUE(state->lastError());
    EXPECT_NE(state->lastError()->find("Mid: "), std::string::npos);

    // Nothing freed: no badge.
    clock->advance(4s);
    refused.insert("/scan/Small");
    state->addToCollector({small});
    state->removeFromCollector(mid);
    deleteCollected();
    EXPECT_FALSE(bar->freedMessage());
}

// Counts a widget's paint events.
struct PaintCount : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

TEST_F(CollectorViewTest, ChipsAndRowsAreDrawnAgainWhenTheirIconArrives) {
    // Paths the shared cache has never been asked for, also when the test runs again in
    // the same process: each draw is a miss at first.
    static int run = 0;
    const std::string name =
        "/icons-" + std::to_string(QCoreApplication::applicationPid()) + "-" + std::to_string(++run);
    NodeRef fresh = folder(name, {file("a.pdf", 10), file("b.txt", 20)});
    state->finishScan(fresh, AppState::computeTypeStats(fresh));
    settle();
    PaintCount stripPaints, listPaints;
    bar->chipStrip()->installEventFilter(&stripPaints);
    state->addToCollector({child(fresh, "a.pdf")});
    bar->setShowItems(true);
    ASSERT_TRUE(bar->itemsList());
    CollectorRowList* rows = bar->itemsList()->findChild<CollectorRowList*>();
    ASSERT_TRUE(rows);
    rows->viewport()->installEventFilter(&listPaints);
    const std::string path = child(fresh, "a.pdf")->url();
    int stripAtArrival = -1, listAtArrival = -1;
    // Connected after the views, so it runs once they have heard of the icon.
    QObject::connect(&FileIconCache::shared(), &FileIconCache::iconReady, bar.get(), [&](const QByteArray& ready) {
        if (ready.toStdString() != path) return;
        stripAtArrival = stripPaints.count;
        listAtArrival = listPaints.count;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stripAtArrival >= 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stripPaints.count > stripAtArrival; }, 5000)) << "the chip";
    EXPECT_TRUE(QTest::qWaitFor([&] { return listPaints.count > listAtArrival; }, 5000)) << "the row";
    bar->setShowItems(false);
}

TEST_F(CollectorViewTest, ChipsFollowTheCollectorOrderRevealAndRemove) {
    state->addToCollector({child(mid, "m2"), big});
    bar->resize(1400, CollectorView::kHeight);
    QApplication::processEvents();
    CollectorChipStrip* strip = bar->chipStrip();
    ASSERT_EQ(strip->chips().size(), 2u);
    EXPECT_EQ(strip->chips()[0].node(), child(mid, "m2"));
    EXPECT_EQ(strip->chips()[0].help(), "/scan/Mid/m2 — " + collectorBytes(20));
    ASSERT_TRUE(bar->chipStripWidth());
    EXPECT_EQ(*bar->chipStripWidth(), strip->width());

    // A click inside the focus selects; outside it, the item's folder becomes the focus.
    state->navigate(big);
    const QRectF first = strip->chipRect(0);
    QTest::mouseClick(strip, Qt::LeftButton, {}, first.center().toPoint() - QPoint(20, 0));
    EXPECT_EQ(state->selection(), child(mid, "m2"));
    EXPECT_EQ(state->focus(), mid);
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->chipRect(1).center().toPoint() - QPoint(20, 0));
    EXPECT_EQ(state->selection(), big);
    EXPECT_EQ(state->focus(), root) << "Big lies outside Mid: its folder becomes the focus";

    // The remove button takes the item out; nothing is moved.
    const QRectF remove = strip->chips()[0].removeRect(strip->chipRect(0));
    QTest::mouseClick(strip, Qt::LeftButton, {}, remove.center().toPoint());
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{big}));
    EXPECT_TRUE(trashed.empty());
}

TEST_F(CollectorViewTest, TheLeftoverBadgeExplainsItselfAndEachRemoveButtonIsNamed) {
    const NodeRef app = child(root, "Mail.app");
    state->addToCollector({app, big});
    Remnant one, two;
    one.url = "/home/u/Library/Caches/mail", one.size = 5;
    two.url = "/home/u/Library/Logs/mail", two.size = 5;
    state->trashMoves().acceptLeftovers({one, two}, app);
    bar->resize(1400, CollectorView::kHeight);
    QApplication::processEvents();
    CollectorChipStrip* strip = bar->chipStrip();
    ASSERT_EQ(strip->chips().size(), 2u);
    const ShellCollectorChip& chip = strip->chips()[0];
    ASSERT_EQ(chip.node(), app);
    const QRectF badge = chip.badgeRect(strip->chipRect(0));
    ASSERT_FALSE(badge.isEmpty());
    EXPECT_TRUE(strip->chips()[1].badgeRect(strip->chipRect(1)).isEmpty()) << "no leftovers, no badge";
    QHelpEvent overBadge(QEvent::ToolTip, badge.center().toPoint(), strip->mapToGlobal(badge.center().toPoint()));
    QApplication::sendEvent(strip, &overBadge);
    EXPECT_EQ(QToolTip::text(), "Plus 2 leftover items outside this scan");
    EXPECT_EQ(collectorLeftoverBadgeHelp(1), "Plus 1 leftover item outside this scan");

    // Assistive technology finds a named button per chip and per row, that removes.
    QAccessibleInterface* chips = QAccessible::queryAccessibleInterface(strip);
    ASSERT_TRUE(chips);
    ASSERT_EQ(chips->childCount(), 2);
    EXPECT_EQ(chips->child(0)->role(), QAccessible::Button);
    EXPECT_EQ(chips->child(0)->text(QAccessible::Name), "Remove Mail.app from Collector");
    EXPECT_EQ(chips->child(1)->text(QAccessible::Name), "Remove Big from Collector");
    bar->setShowItems(true);
    ASSERT_TRUE(bar->itemsList());
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(bar->itemsList()->findChild<CollectorRowList*>());
    ASSERT_EQ(rows->childCount(), 2);
    EXPECT_EQ(rows->child(0)->text(QAccessible::Name), "Remove Big from Collector") << "largest first";
    rows->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{app}));
    chips->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(state->collector().empty());
    EXPECT_TRUE(trashed.empty());
}

TEST_F(CollectorViewTest, HoverIsSharedThroughTheStateAndLetGoOnlyWhenStillOurs) {
    state->addToCollector({small, big});
    bar->resize(1400, CollectorView::kHeight);
    QApplication::processEvents();
    CollectorChipStrip* strip = bar->chipStrip();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    QTest::mouseMove(strip, strip->chipRect(0).center().toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->hovered() == small; }));
    QTest::mouseMove(strip, strip->chipRect(1).center().toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->hovered() == big; }));
    // Another view sets the hovered node; leaving the strip keeps it.
    state->setHovered(mid);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(strip, &leave);
    EXPECT_EQ(state->hovered(), mid);
}

// The chip or row under the pointer goes with a change of the state: the hover is let
// go after the state's notification, never from inside it (a report fails the test).
TEST_F(CollectorViewTest, AHoveredChipOrRowThatGoesLetsTheHoverGoAfterTheNotification) {
    state->addToCollector({small, big});
    bar->resize(1400, CollectorView::kHeight);
    QApplication::processEvents();
    CollectorChipStrip* strip = bar->chipStrip();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    QTest::mouseMove(strip, strip->chipRect(0).center().toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->hovered() == small; }));
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->chips()[0].removeRect(strip->chipRect(0)).center().toPoint());
    EXPECT_EQ(state->collector(), (std::vector<NodeRef>{big}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !state->hovered(); }));

    state->addToCollector({small});
    bar->setShowItems(true);
    ShellCollectorItemsList* list = bar->itemsList();
    ASSERT_TRUE(list);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    QTest::mouseMove(list->list()->viewport(), list->list()->rowRect(0).center().toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->hovered() == big; })) << "largest first";
    state->removeFromCollector(big);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !state->hovered(); }));
    // A node another view hovers meanwhile stays.
    state->setHovered(mid);
    state->removeFromCollector(small);
    QApplication::processEvents();
    EXPECT_EQ(state->hovered(), mid);
}

// A chip or row under the resting pointer that a change of the state covers or hides
// gets its Leave (or hide) inside the notification: the hover ends after it.
TEST_F(CollectorViewTest, AHoverEndedByTheStatesOwnChangeIsToldAfterTheNotification) {
    state->addToCollector({small, big});
    bar->resize(1400, CollectorView::kHeight);
    QApplication::processEvents();
    CollectorChipStrip* strip = bar->chipStrip();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    restPointer(strip, strip->chipRect(0).center().toPoint());
    ASSERT_EQ(state->hovered(), small);
    QWidget* cover = coverDuringNextNotification(*state, bar.get());
    state->select(mid);
    EXPECT_EQ(state->hovered(), small);
    QApplication::processEvents();
    EXPECT_FALSE(state->hovered());
    cover->hide();
    QApplication::processEvents();

    bar->setShowItems(true);
    ShellCollectorItemsList* list = bar->itemsList();
    ASSERT_TRUE(list);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    restPointer(list->list()->viewport(), list->list()->rowRect(0).center().toPoint());
    ASSERT_EQ(state->hovered(), big) << "largest first";
    duringNextNotification(*state, [&] { list->list()->hide(); });
    state->select(root);
    EXPECT_EQ(state->hovered(), big);
    QApplication::processEvents();
    EXPECT_FALSE(state->hovered());
}

TEST_F(CollectorViewTest, TheItemsListRunsLargestFirstAndFollowsTheCollector) {
    state->addToCollector({child(root, "t.txt"), small, big});
    bar->setShowItems(true);
    ShellCollectorItemsList* list = bar->itemsList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->title(), "3 Collected Items");
    EXPECT_EQ(list->totalText(), collectorBytes(140));
    ASSERT_EQ(list->list()->rowCount(), 3u);
    EXPECT_EQ(list->list()->height(), 3 * 40 + 8);
    EXPECT_EQ(list->width(), ShellCollectorItemsList::kWidth);

    state->removeFromCollector(big);
    QApplication::processEvents();
    EXPECT_EQ(list->title(), "2 Collected Items");
    EXPECT_EQ(list->list()->rowCount(), 2u);
    // A click on a row reveals its item.
    QTest::mouseClick(list->list()->viewport(), Qt::LeftButton, {}, list->list()->rowRect(0).center().toPoint() - QPoint(60, 0));
    EXPECT_EQ(state->selection(), small);

    state->syncCollector({});
    QApplication::processEvents();
    EXPECT_FALSE(bar->itemsList() && bar->itemsList()->isVisible());
}

// Motion on or off for one test, whatever the desktop says.
struct MotionChoice {
    explicit MotionChoice(bool reduce) { MotionPreference::shared().setOverride(reduce); }
    ~MotionChoice() { MotionPreference::shared().setOverride(std::nullopt); }
};

bool running(const QVariantAnimation* animation) {
    return animation && animation->state() == QAbstractAnimation::Running;
}

// Moves a running animation to `ms` after its start and lets the views repaint.
void at(QVariantAnimation* animation, int ms) {
    animation->setCurrentTime(ms);
    QApplication::processEvents();
}

// The pixels of `area` of the strip's picture that differ from its empty far end.
int drawnPixels(CollectorChipStrip* strip, const QRectF& area) {
    const QImage picture = strip->grab().toImage();
    const QColor blank = picture.pixelColor(picture.width() - 3, picture.height() / 2);
    int drawn = 0;
    const QRect pixels = area.toAlignedRect() & picture.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) drawn += picture.pixelColor(x, y) != blank;
    return drawn;
}

TEST_F(CollectorViewTest, OnlyWholeChipsShowAndACutOneComesInWhenScrolledTo) {
    MotionChoice still(true);
    state->addToCollector({child(big, "big1"), child(big, "big2"), child(mid, "m1"), child(mid, "m2"),
                           child(small, "s1"), child(root, "Mail.app"), child(root, "t.txt")});
    CollectorChipStrip* strip = bar->chipStrip();
    // A width at which the trailing edge cuts well into a chip.
    int cut = -1;
    for (int width = 600; width <= 1400 && cut < 0; width += 7) {
        bar->resize(width, CollectorView::kHeight);
        QApplication::processEvents();
        for (std::size_t i = 0; i < strip->chips().size(); ++i) {
            const QRectF rect = strip->chipRect(i);
            if (rect.left() < strip->width() - 40 && rect.right() > strip->width() + 20) cut = static_cast<int>(i);
        }
    }
    ASSERT_GE(cut, 1) << "no width cuts a chip";
    const auto index = static_cast<std::size_t>(cut);
    const QRectF rect = strip->chipRect(index);
    EXPECT_FALSE(strip->isChipShown(index));
    EXPECT_TRUE(strip->isChipShown(index - 1));
    // Nothing of the cut chip is drawn in its part of the strip, nor can it be pointed at.
    const QRectF inView(rect.left() + 2, 0, strip->width() - rect.left() - 6, strip->height());
    EXPECT_EQ(drawnPixels(strip, inView), 0);
    EXPECT_EQ(strip->chipAt(inView.center()), -1);
    EXPECT_GT(drawnPixels(strip, strip->chipRect(index - 1)), 100);

    // Scrolled to the end, the last chip is whole and shows.
    strip->scrollToLast(false);
    QApplication::processEvents();
    const std::size_t last = strip->chips().size() - 1;
    EXPECT_TRUE(strip->isChipShown(last));
    EXPECT_GT(drawnPixels(strip, strip->chipRect(last).adjusted(4, 4, -4, -4)), 100);
}

TEST_F(CollectorViewTest, ChipsComeAndGoFadingAndGrowingFromFourFifthsWhileTheOthersSlide) {
    MotionChoice motion(false);
    bar->resize(1400, CollectorView::kHeight);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    state->addToCollector({big});
    CollectorChipStrip* strip = bar->chipStrip();
    EXPECT_FALSE(running(strip->transition())) << "the first chip comes with the whole bar";

    state->addToCollector({mid});
    QVariantAnimation* transition = strip->transition();
    ASSERT_TRUE(running(transition));
    EXPECT_EQ(transition->duration(), kCollectorSpringMs);
    EXPECT_EQ(transition->easingCurve().type(), QEasingCurve::OutCubic);
    at(transition, 0);
    EXPECT_EQ(strip->chipPresence(0), 1);
    EXPECT_EQ(strip->chipPresence(1), 0);
    const QRectF second = strip->chipRect(1);
    EXPECT_EQ(drawnPixels(strip, second), 0) << "nothing of it yet";
    at(transition, kCollectorSpringMs / 4);
    const int growing = drawnPixels(strip, second);
    at(transition, kCollectorSpringMs);
    EXPECT_FALSE(running(transition));
    EXPECT_EQ(strip->chipPresence(1), 1);
    const int standing = drawnPixels(strip, second);
    EXPECT_GT(growing, 0);
    EXPECT_LT(growing, standing) << "smaller while it grows";

    // The first goes, as a picture fading where it stood, while the second slides
    // into its place: at first it still stands where it was.
    state->removeFromCollector(big);
    ASSERT_TRUE(running(transition));
    EXPECT_EQ(strip->leavingCount(), 1u);
    at(transition, 0);
    const QRectF settled = strip->chipRect(0);
    const QRectF vacated(settled.right() + 2, second.top(), second.right() - settled.right() - 4, second.height());
    ASSERT_GT(vacated.width(), 4);
    EXPECT_GT(drawnPixels(strip, vacated), 0);
    at(transition, kCollectorSpringMs);
    EXPECT_EQ(strip->leavingCount(), 0u);
    EXPECT_EQ(drawnPixels(strip, vacated), 0);
    EXPECT_GT(drawnPixels(strip, settled), 0);
}

TEST_F(CollectorViewTest, TheEmptyCardAndTheItemsDissolveAndTheHintMakesWayForTheBadge) {
    MotionChoice motion(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    state->addToCollector({big});
    QVariantAnimation* dissolve = bar->contentSwitch();
    ASSERT_TRUE(running(dissolve));
    EXPECT_EQ(dissolve->duration(), kCollectorSpringMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->contentSwitch() == nullptr; }, 5000)) << "and goes when done";

    // Emptied by the move to the Trash: the chips dissolve into the card, and the hint
    // fades out while the badge comes in.
    deleteCollected();
    EXPECT_TRUE(running(bar->contentSwitch()));
    ASSERT_TRUE(bar->freedMessage());
    ASSERT_TRUE(running(bar->hintFade()));
    EXPECT_EQ(bar->hintFade()->endValue().toDouble(), 0.0);
    at(bar->hintFade(), kCollectorSpringMs);
    EXPECT_EQ(bar->hintOpacity(), 0);

    // A drag over the card brings the hint back, and so does the message's end.
    QMimeData data;
    data.setUrls(urls({"/scan/t.txt"}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &enter);
    ASSERT_TRUE(running(bar->hintFade()));
    EXPECT_EQ(bar->hintFade()->endValue().toDouble(), 1.0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(bar.get(), &leave);
    EXPECT_EQ(bar->hintFade()->endValue().toDouble(), 0.0);
    clock->advance(CollectorView::kFreedShown);
    EXPECT_FALSE(bar->freedMessage());
    ASSERT_TRUE(running(bar->hintFade()));
    at(bar->hintFade(), kCollectorSpringMs);
    EXPECT_EQ(bar->hintOpacity(), 1);
}

TEST_F(CollectorViewTest, WithReducedMotionEveryChangeShowsAtOnce) {
    MotionChoice motion(true);
    bar->resize(bar->wideMinimumWidth() + 60, CollectorView::kHeight);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    state->addToCollector({big});
    EXPECT_EQ(bar->contentSwitch(), nullptr);
    CollectorChipStrip* strip = bar->chipStrip();
    state->addToCollector({mid, small});
    EXPECT_FALSE(running(strip->transition()));
    EXPECT_EQ(strip->chipPresence(2), 1);
    ASSERT_GT(strip->contentWidth(), strip->width());
    EXPECT_EQ(strip->scrollOffset(), strip->contentWidth() - strip->width()) << "the last chip is in view at once";
    state->removeFromCollector(mid);
    EXPECT_EQ(strip->leavingCount(), 0u);

    deleteCollected();
    EXPECT_EQ(bar->contentSwitch(), nullptr);
    ASSERT_TRUE(bar->freedMessage());
    EXPECT_FALSE(running(bar->hintFade()));
    EXPECT_EQ(bar->hintOpacity(), 0);
    EXPECT_TRUE(bar->freedBadge()->isVisible());
    clock->advance(CollectorView::kFreedShown);
    EXPECT_EQ(bar->hintOpacity(), 1);
    EXPECT_FALSE(bar->freedBadge()->isVisible());
}

} // namespace
} // namespace plenwick::test
