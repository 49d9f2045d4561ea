// The shell's tests draw real widgets offscreen: they need a widget application.
//
// Run as `shell_tests --exit-during-lookups FOLDER`, it is instead a program that asks
// the shared icon cache for every file in FOLDER and quits at once, with the lookups
// still under way (the icon cache's test runs it so).
#include "common/StrictState.h"
#include "common/TestFonts.h"
#include "platform/MotionPreference.h"
#include "shell/FileIconCache.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    plenwick::test::pinTestFonts();
    QApplication app(argc, argv);
    // Motion follows no desktop here: what this machine's desktop says must not change
    // what the tests see (and asking it would start a program under the sanitizers).
    plenwick::MotionPreference::setSharedSources({}, {});
    if (argc == 3 && std::strcmp(argv[1], "--exit-during-lookups") == 0) {
        const QDir folder(QString::fromLocal8Bit(argv[2]));
        for (const QString& name : folder.entryList(QDir::Files))
            plenwick::fileIcon(folder.filePath(name).toStdString(), false, "");
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    plenwick::test::failOperationsWhileNotifying();
    return RUN_ALL_TESTS();
}
