// The outline's tests: the pure core needs no display; the views run real widgets
// on the offscreen platform.
#include "common/PointerReset.h"
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
    plenwick::test::resetPointerAfterEachTest();
    return RUN_ALL_TESTS();
}
