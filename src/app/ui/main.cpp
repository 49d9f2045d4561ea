// Plenwick: the disk-space analyser's main program.

#include "app/ui/PlenwickApp.h"
#include "shell/IconTheme.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Plenwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Plenwick"));
    plenwick::useDefaultIconThemeWhereNoneIsSet();

    plenwick::PlenwickApp program;
    program.showMainWindow();
    program.answerActivation();
    // Qt has taken its own options out of argv; what is left is ours, as raw bytes.
    program.openArguments(std::vector<std::string>(argv, argv + argc));
    return app.exec();
}
