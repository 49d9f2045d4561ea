// Where a new window goes: centred on the window it belongs with, whole on the screen.
#include "shell/WindowPlacement.h"

#include <gtest/gtest.h>

namespace plenwick::test {
namespace {

TEST(WindowPlacement, CentredOnItsWindowAndWholeOnTheScreen) {
    const QRect screen(0, 0, 1600, 1000);
    // Over the main window, centred.
    EXPECT_EQ(placedWindowFrame({480, 300}, QRect(160, 80, 1280, 840), screen, {300, 200}), QRect(560, 350, 480, 300));
    // Without one, centred on the screen.
    EXPECT_EQ(placedWindowFrame({760, 640}, std::nullopt, screen, {600, 400}), QRect(420, 180, 760, 640));
    // A main window near an edge: moved in, not hanging over it.
    EXPECT_EQ(placedWindowFrame({760, 640}, QRect(1200, 700, 1280, 840), screen, {600, 400}),
              QRect(840, 360, 760, 640));
    EXPECT_EQ(placedWindowFrame({760, 640}, QRect(-900, -600, 1280, 840), screen, {600, 400}),
              QRect(0, 0, 760, 640));
    // A screen off the origin (the second of two, under a panel).
    EXPECT_EQ(placedWindowFrame({400, 300}, std::nullopt, QRect(1600, 30, 1200, 770), {100, 100}),
              QRect(2000, 265, 400, 300));
}

TEST(WindowPlacement, AWindowTooBigIsShrunkButNotBelowItsMinimum) {
    // 1280×841 on a 1366×738 desktop: as tall as the screen allows, on it whole.
    EXPECT_EQ(placedWindowFrame({1282, 841}, std::nullopt, QRect(0, 30, 1366, 738), {962, 641}),
              QRect(42, 30, 1282, 738));
    // A screen that cannot hold the minimum leaves the window to the window system.
    EXPECT_EQ(placedWindowFrame({1282, 841}, std::nullopt, QRect(0, 0, 800, 600), {962, 641}), std::nullopt);
}

} // namespace
} // namespace plenwick::test
