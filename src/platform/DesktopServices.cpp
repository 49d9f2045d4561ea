#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace plenwick {

void openURLOnDesktop(const std::string& url) {
    // Without a GUI application there is no desktop to ask.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace plenwick
