// The rings as a widget: the display-rate timer runs only while they animate and are
// visible, and a time from the clock draws the same picture as the same fixed time.

#include "common/Palettes.h"
#include "results/ShellScanRings.h"
#include "shell/ShellStyle.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace plenwick {
namespace {

QPalette palette(bool dark) { return dark ? test::darkPalette() : test::lightPalette(); }

QImage picture(ShellScanRings& rings) {
    QImage image(rings.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(rings.palette().color(QPalette::Window));
    rings.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(ShellScanRings, AnimatesOnlyWhileVisibleAndFollowingTheClock) {
    ShellScanRings rings;
    rings.resize(280, 280);
    EXPECT_FALSE(rings.isAnimating()) << "not yet shown";
    rings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rings));
    EXPECT_TRUE(rings.isAnimating());
    rings.hide();
    EXPECT_FALSE(rings.isAnimating());
    rings.show();
    EXPECT_TRUE(rings.isAnimating());
    rings.setFixedTime(12.0);
    EXPECT_FALSE(rings.isAnimating()) << "a fixed time draws once";
    EXPECT_EQ(rings.currentTime(), 12.0);
    rings.setFixedTime(std::nullopt);
    EXPECT_TRUE(rings.isAnimating());

    // It repaints by itself while animating.
    int paints = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++*n;
            return false;
        }
    } counter(&paints);
    rings.installEventFilter(&counter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints >= 2; }, 5000));
    rings.hide();
}

TEST(ShellScanRings, TheClocksTimeDrawsAsTheSameFixedTime) {
    const double t = 7.9e8 + 0.37;
    ShellScanRings still(t);
    ShellScanRings clocked;
    clocked.setClock([t] { return t; });
    for (ShellScanRings* r : {&still, &clocked}) {
        r->resize(280, 280);
        r->setPalette(palette(false));
    }
    EXPECT_EQ(picture(still), picture(clocked));
    ShellScanRings later(t + 0.5);
    later.resize(280, 280);
    later.setPalette(palette(false));
    EXPECT_NE(picture(still), picture(later)) << "time moves the picture";
}

// Where the picture is the point: the hub in the window colour, segments in colour,
// the glow between the hub and the first ring, nothing in a tiny area.
TEST(ShellScanRings, Picture) {
    for (bool dark : {false, true}) {
        const double t = 4.2;
        ShellScanRings rings(t);
        rings.resize(280, 280);
        rings.setPalette(palette(dark));
        const QImage image = picture(rings);
        const QColor window = palette(dark).color(QPalette::Window);
        EXPECT_EQ(image.pixelColor(140, 140), window) << "hub";

        // A point in the middle of the widest segment of ring 1 is strongly coloured.
        const ScanRingsFrame frame = scanRingsFrame(280, 280, t);
        const ScanRingSegment* widest = nullptr;
        for (const ScanRingSegment& s : frame.segments)
            if (s.ring == 1 && (!widest || s.end - s.start > widest->end - widest->start)) widest = &s;
        ASSERT_TRUE(widest);
        const double mid = (widest->start + widest->end) / 2, r = (widest->innerRadius + widest->outerRadius) / 2;
        const QColor segment = image.pixelColor(int(std::round(140 + r * std::cos(mid))), int(std::round(140 + r * std::sin(mid))));
        EXPECT_GT(segment.hsvSaturationF(), 0.3) << segment.name().toStdString();

        // Between the hub (0.33 R) and ring 0 (0.36 R) only the accent glow shows.
        const QColor glow = image.pixelColor(140, 140 - int(0.345 * 140));
        EXPECT_NE(glow, window);
        EXPECT_GT(glow.blue(), glow.red());
    }
    ShellScanRings tiny(1.0);
    tiny.resize(8, 8);
    tiny.setPalette(palette(false));
    const QImage blank = picture(tiny);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(blank.pixelColor(x, y), QColor(236, 236, 236));
}

} // namespace
} // namespace plenwick
