#include "shell/IconTheme.h"

#include <QDir>
#include <QIcon>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace plenwick {

void useDefaultIconThemeWhereNoneIsSet() {
    // Platforms without a desktop theme (offscreen, minimal) search only Qt's own
    // resources: add the freedesktop icon folders of the data directories.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = QDir(data).filePath(QStringLiteral("icons"));
        if (!paths.contains(icons) && QDir(icons).exists()) paths << icons;
    }
    if (paths != QIcon::themeSearchPaths()) QIcon::setThemeSearchPaths(paths);

    const QString defaultTheme = QStringLiteral("Adwaita");
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(defaultTheme);
    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == QLatin1String("hicolor")) QIcon::setThemeName(defaultTheme);
}

} // namespace plenwick
