// The collector's tests: its rules and texts need no display; the bar, the chips, the
// list and the sheet run real widgets on the offscreen platform.
#include "common/PointerReset.h"
#include "common/StrictState.h"
#include "common/TestFonts.h"
#include "platform/MotionPreference.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    plenwick::test::pinTestFonts();
    QApplication app(argc, argv);
    // Motion follows no desktop here: what this machine's desktop says must not change
    // what the tests see (and asking it would start a program under the sanitizers).
    plenwick::MotionPreference::setSharedSources({}, {});
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    plenwick::test::failOperationsWhileNotifying();
    plenwick::test::resetPointerAfterEachTest();
    return RUN_ALL_TESTS();
}
