// Plenwick: the disk-space analyser's main program.

#include "mainprogram/PlenwickApp.h"
#include "shell/AppIcon.h"
#include "shell/IconTheme.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Plenwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Plenwick"));
    // The desktop entry the windows belong to (their application ID on Wayland), so the
    // task bar shows them under Plenwick's name and icon.
    QApplication::setDesktopFileName(QStringLiteral("tarnwell.Plenwick"));
    plenwick::useDefaultIconThemeWhereNoneIsSet();
    QApplication::setWindowIcon(plenwick::applicationIcon());

    plenwick::PlenwickApp program;
    // Qt has taken its own options out of argv; what is left is ours, as raw bytes.
    const std::vector<std::string> arguments(argv, argv + argc);
    // One running copy: a second launch hands its folder to the first and ends.
    switch (program.claimOrHandOff(arguments)) {
    case plenwick::PlenwickApp::Launch::first: break;
    case plenwick::PlenwickApp::Launch::handedOff: return 0;
    case plenwick::PlenwickApp::Launch::unanswered:
        std::fprintf(stderr, "Plenwick is running already but did not answer; it comes forward once it is free.\n");
        return 1;
    }
    program.showMainWindow();
    program.openArguments(arguments);
    return app.exec();
}
