// The home screen's tests draw real widgets offscreen, in an English locale so that
// figures read the same everywhere.
#include "common/StrictState.h"
#include "common/TestFonts.h"
#include "platform/MotionPreference.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    plenwick::test::pinTestFonts();
    QApplication app(argc, argv);
    // Motion follows no desktop here: what this machine's desktop says must not change
    // what the tests see (and asking it would start a program under the sanitizers).
    plenwick::MotionPreference::setSharedSources({}, {});
    ::testing::InitGoogleTest(&argc, argv);
    plenwick::test::failOperationsWhileNotifying();
    return RUN_ALL_TESTS();
}
