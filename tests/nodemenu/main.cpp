// The node menu's tests: its rules need no display; its menus are real widgets on
// the offscreen platform.
#include "common/StrictState.h"
#include "common/TestFonts.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    plenwick::test::pinTestFonts();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    plenwick::test::failOperationsWhileNotifying();
    return RUN_ALL_TESTS();
}
