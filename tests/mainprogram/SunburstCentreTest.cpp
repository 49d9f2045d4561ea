// The sunburst's centre in the real window: after a command of the chart's context
// menu it describes what now lies under the pointer, not the arc the menu was opened
// on; and a new subject never shows the last one's size under its name.
#include "ResultsWindowFixture.h"

#include "chartviews/SunburstCentreDisc.h"
#include "chartviews/SunburstView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QTest>

#include <cmath>
#include <numbers>

namespace plenwick::test {
namespace {

class SunburstCentre : public ResultsWindowTest {
protected:
    SunburstView& chart() { return *qobject_cast<SunburstView*>(results()->chart()); }
    // A point inside the node's arc, away from its edges.
    QPoint at(const NodeRef& node) {
        const SunburstLayout& layout = *chart().scene()->layout;
        const SunburstArc& arc = layout.arc(layout.index.at(node.get()));
        const SunburstChartGeometry g = chart().chartGeometry();
        const double a = 2 * std::numbers::pi * (arc.start + 0.5 * (arc.end - arc.start));
        const double r = layout.metrics.ringRadius(arc.ring + 0.5) * g.radius;
        return (g.centre + QPointF(std::sin(a) * r, -std::cos(a) * r)).toPoint();
    }
    // Opens the chart's menu at `p` and runs its command `title` with the pointer at
    // `pointerAfter` (global).
    void runMenuCommand(QPoint p, const QString& title, QPoint pointerAfter) {
        QTest::mouseMove(&chart(), p);
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, chart().mapToGlobal(p));
        QApplication::sendEvent(&chart(), &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        // The pointer moves while the menu holds it: the chart hears nothing of it.
        QCursor::setPos(pointerAfter);
        QApplication::processEvents();
        QAction* command = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == title) command = action;
        ASSERT_NE(command, nullptr) << title.toStdString();
        menu->hide();
        command->trigger();
        settle();
    }
};

TEST_F(SunburstCentre, AfterAMenuCommandTheCentreDescribesWhatIsUnderThePointer) {
    resizeWindow({1280, 820});
    scan(makeFiles({{"docs/a.bin", 60000}, {"docs/b.bin", 30000}, {"music/c.bin", 50000}, {"pics/d.bin", 40000}}));
    ASSERT_NE(qobject_cast<SunburstView*>(results()->chart()), nullptr);
    const NodeRef docs = node("docs"), music = node("music");

    // The pointer went off the chart while the menu was open.
    runMenuCommand(at(docs), QStringLiteral("Add to Collector"), window().mapToGlobal(QPoint(5, 5)));
    EXPECT_FALSE(state().hovered());
    EXPECT_TRUE(chart().centreDisc()->info().isFocus) << chart().centreDisc()->info().title.toStdString();

    // It rests over another arc.
    runMenuCommand(at(docs), QStringLiteral("Remove from Collector"), chart().mapToGlobal(at(music)));
    EXPECT_EQ(state().hovered(), music);
    EXPECT_EQ(chart().centreDisc()->info().title, QStringLiteral("music"));
}

TEST_F(SunburstCentre, AHoverThatEndsShowsTheFocusWithItsOwnSizeAtOnce) {
    resizeWindow({1280, 820});
    scan(makeFiles({{"docs/a.bin", 60000}, {"music/c.bin", 50000}}));
    SunburstCentreDisc& disc = *chart().centreDisc();
    QTest::mouseMove(&chart(), at(node("docs")));
    settle();
    ASSERT_EQ(disc.info().title, QStringLiteral("docs"));
    EXPECT_FALSE(disc.isSizeChanging()) << "another item's figure is not rolled in";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&chart(), &leave);
    settle();
    ASSERT_TRUE(disc.info().isFocus);
    EXPECT_FALSE(disc.isSizeChanging());
}

} // namespace
} // namespace plenwick::test
