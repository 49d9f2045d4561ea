#include "ViewFixture.h"

#include "results/InspectorColumnWidth.h"
#include "results/InspectorSplitter.h"
#include "results/ResultsView.h"
#include "results/ShellInspectorLayout.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

#include <cmath>
#include <limits>

namespace plenwick::test {
namespace {

using Width = InspectorColumnWidth;

class ColumnWidthTest : public ::testing::Test {
protected:
    void store(const QVariant& value) { prefs.setValue(Width::preferenceKey, value); }
    double stored() const { return prefs.value(Width::preferenceKey, QVariant()).toDouble(); }
    MemoryPreferences prefs;
    Width width{prefs};
};

TEST_F(ColumnWidthTest, StoredWidthsAreShownClampedAndAnnouncedTruncated) {
    EXPECT_EQ(width.displayedWidth(), 270) << "no preference";
    store(100.0);
    EXPECT_EQ(width.displayedWidth(), 240);
    EXPECT_EQ(Width::accessibleValue(width.displayedWidth()), "240 points");
    store(500.0);
    EXPECT_EQ(width.displayedWidth(), 420);
    store(270.9);
    EXPECT_EQ(Width::accessibleValue(width.displayedWidth()), "270 points");
    store(QStringLiteral("310")); // the settings file keeps text
    EXPECT_EQ(width.displayedWidth(), 310);
}

TEST_F(ColumnWidthTest, AWidthThatIsNotAFiniteNumberFallsBackToTheDefault) {
    for (const QVariant& bad : {QVariant(std::numeric_limits<double>::quiet_NaN()),
                                QVariant(std::numeric_limits<double>::infinity()), QVariant(QStringLiteral("nan")),
                                QVariant(QStringLiteral("-inf")), QVariant(QStringLiteral("wide"))}) {
        store(bad);
        EXPECT_EQ(width.storedWidth(), 270) << bad.toString().toStdString();
        EXPECT_EQ(width.displayedWidth(), 270);
        width.adjust(true);
        EXPECT_EQ(stored(), 290) << "a step starts from the default";
    }
}

TEST_F(ColumnWidthTest, StepsStartFromTheStoredWidthAndStayInRange) {
    store(100.0);
    width.adjust(true);
    EXPECT_EQ(stored(), 240) << "100 + 20, clamped";
    width.adjust(true);
    EXPECT_EQ(stored(), 260);
    store(410.0);
    width.adjust(true);
    EXPECT_EQ(stored(), 420);
    width.adjust(true);
    EXPECT_EQ(stored(), 420);
    store(240.0);
    width.adjust(false);
    EXPECT_EQ(stored(), 240);
    store(500.0);
    width.adjust(false);
    EXPECT_EQ(stored(), 420) << "480, clamped";
}

TEST_F(ColumnWidthTest, ADragFollowsThePointerFromWhereItBegan) {
    width.dragChanged(1000);
    EXPECT_EQ(stored(), 240) << "far to the right";
    width.dragChanged(-1000);
    EXPECT_EQ(stored(), 420) << "far to the left, same drag";
    width.dragChanged(-30);
    EXPECT_EQ(stored(), 300) << "measured from the width at the start";
    EXPECT_EQ(width.dragStartWidth(), std::optional<double>(270));
    width.dragEnded();
    EXPECT_FALSE(width.dragStartWidth());
    width.dragChanged(10);
    EXPECT_EQ(stored(), 290) << "a new drag starts from the width shown";
    width.dragEnded();
    width.reset();
    EXPECT_EQ(stored(), 270);
}

TEST(InspectorSplit, TheDetailsGetWhatTheyAskButTheBreakdownKeepsItsShare) {
    using Split = ShellInspectorLayout::Split;
    EXPECT_EQ(ShellInspectorLayout::split(600, 170, 200), (Split{200, 200, 400}));
    EXPECT_EQ(ShellInspectorLayout::split(300, 170, 200), (Split{130, 130, 170}));
    EXPECT_EQ(ShellInspectorLayout::split(300, 170, 400), (Split{130, 130, 170}));
    EXPECT_EQ(ShellInspectorLayout::split(300, 170, 50), (Split{50, 50, 250}));
    EXPECT_EQ(ShellInspectorLayout::split(150, 170, 200), (Split{0, 0, 150}));
    EXPECT_EQ(ShellInspectorLayout::split(300, 170, std::nan("")), (Split{0, 0, 300}));

    EXPECT_EQ(ShellInspectorLayout::sizeThatFits(std::nullopt, std::nullopt, 170, [](double w) { return w / 2; }),
              QSizeF(300, 320));
    EXPECT_EQ(ShellInspectorLayout::sizeThatFits(250, std::nullopt, 170, {}), QSizeF(250, 170)) << "no items";
    EXPECT_EQ(ShellInspectorLayout::sizeThatFits(250, 90, 170, [](double) { return 1000.0; }), QSizeF(250, 90));
}

TEST(InspectorSplit, TheDetailsComeFirstThenTheBreakdownsRowsThenTheRest) {
    // Column 800, breakdown minimum 170; details 400, details and card 550.
    EXPECT_EQ(ShellInspectorLayout::topShare(800, 170, 400, 550, 600), 400) << "rows want more than is left";
    EXPECT_EQ(ShellInspectorLayout::topShare(800, 170, 400, 550, 300), 500) << "the card takes what the rows leave";
    EXPECT_EQ(ShellInspectorLayout::topShare(800, 170, 400, 550, 200), 550) << "everything fits";
    EXPECT_EQ(ShellInspectorLayout::topShare(500, 170, 400, 550, 600), 330) << "the details scroll; 170 stays";
    EXPECT_EQ(ShellInspectorLayout::topShare(500, 170, 400, 550, 120), 380) << "a breakdown wanting less keeps less";
    EXPECT_EQ(ShellInspectorLayout::topShare(100, 170, 400, 550, 600), 0);

    // A height that cuts no row: the last row end at or above the limit.
    const std::vector<int> rows{50, 120, 200};
    EXPECT_EQ(ShellInspectorLayout::wholeRowsHeight(199, rows), 120);
    EXPECT_EQ(ShellInspectorLayout::wholeRowsHeight(200, rows), 200);
    EXPECT_EQ(ShellInspectorLayout::wholeRowsHeight(500, rows), 200);
    EXPECT_EQ(ShellInspectorLayout::wholeRowsHeight(30, rows), 30) << "a first row taller than the room scrolls";
}

// A widget of a fixed natural height at any width.
class Tall final : public QWidget {
public:
    explicit Tall(int h) : h_(h) {}
    QSize sizeHint() const override { return QSize(10, h_); }

private:
    int h_;
};

TEST(InspectorSplit, TheLayoutPlacesTheFirstItemOnTopAndOverlapsTheOthersBelow) {
    QWidget host;
    auto* layout = new ShellInspectorLayout(170, &host);
    auto* top = new Tall(200);
    auto* second = new Tall(10);
    auto* third = new Tall(10);
    layout->addWidget(top);
    layout->addWidget(second);
    layout->addWidget(third);
    host.resize(280, 300);
    layout->setGeometry(QRect(0, 0, 280, 300));
    EXPECT_EQ(top->geometry(), QRect(0, 0, 280, 130));
    EXPECT_EQ(second->geometry(), QRect(0, 130, 280, 170));
    EXPECT_EQ(third->geometry(), second->geometry());
    layout->setGeometry(QRect(0, 0, 280, 600));
    EXPECT_EQ(top->geometry(), QRect(0, 0, 280, 200));
    EXPECT_EQ(second->geometry(), QRect(0, 200, 280, 400));
    EXPECT_EQ(layout->sizeHint(), QSize(300, 370));
}

class InspectorHandleTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        scanToResults();
        view = root->resultsView();
        ASSERT_NE(view, nullptr);
        handle = view->detailSplitter()->inspectorHandle();
        ASSERT_NE(handle, nullptr);
    }
    QPoint handleCentre() const { return handle->rect().center(); }
    ResultsView* view = nullptr;
    InspectorResizeHandle* handle = nullptr;
};

TEST_F(InspectorHandleTest, TheHandleStraddlesTheDividerEightPixelsWide) {
    EXPECT_EQ(handle->width(), InspectorColumnWidth::handleWidth);
    const QPoint lineInColumnSpace = handle->mapTo(view->detailSplitter(), QPoint(handle->contentsRect().left(), 0));
    EXPECT_EQ(lineInColumnSpace.x() + 1, view->inspectorColumn()->x()) << "the line sits just before the column";
    EXPECT_EQ(handle->toolTip(), "Drag to resize the inspector; double-click to reset its width");
}

TEST_F(InspectorHandleTest, DraggingResizesAndStoresDoubleClickResets) {
    const QPoint start = handleCentre();
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start - QPoint(60, 0)), handle->mapToGlobal(QPointF(start - QPoint(60, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start - QPoint(60, 0));
    EXPECT_EQ(preferences->value(InspectorColumnWidth::preferenceKey, {}).toDouble(), 330);
    EXPECT_EQ(view->inspectorColumn()->width(), 330);

    QTest::mouseDClick(handle, Qt::LeftButton, {}, handleCentre());
    EXPECT_EQ(preferences->value(InspectorColumnWidth::preferenceKey, {}).toDouble(), 270);
    EXPECT_EQ(view->inspectorColumn()->width(), 270);
}

TEST_F(InspectorHandleTest, AssistiveTechnologiesStepTheWidth) {
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(handle);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->text(QAccessible::Name), "Inspector width");
    EXPECT_EQ(element->text(QAccessible::Value), "270 points");
    QAccessibleActionInterface* actions = element->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(element->text(QAccessible::Value), "290 points");
    EXPECT_EQ(view->inspectorColumn()->width(), 290);
    ASSERT_NE(element->valueInterface(), nullptr);
    EXPECT_EQ(element->valueInterface()->currentValue().toDouble(), 290);
}

TEST_F(InspectorHandleTest, TheStoredWidthIsUsedByTheNextResultsScreen) {
    preferences->setValue(InspectorColumnWidth::preferenceKey, 700.0);
    ResultsView other(*state);
    other.resize(1200, 800);
    other.show();
    QApplication::processEvents();
    EXPECT_EQ(other.inspectorColumn()->width(), 420);
}

} // namespace
} // namespace plenwick::test
