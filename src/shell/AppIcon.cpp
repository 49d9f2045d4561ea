#include "shell/AppIcon.h"

#include <QDirIterator>

// The resource lives in this static library: naming it links it into the program.
static void initAppIconResource() { Q_INIT_RESOURCE(plenwick_app_icon); }

namespace plenwick {

QIcon builtInApplicationIcon() {
    initAppIconResource();
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/plenwick/icons"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (sizes.hasNext())
        icon.addFile(sizes.next() + QStringLiteral("/apps/tarnwell.Plenwick.png"));
    return icon;
}

QIcon applicationIcon() {
    return QIcon::fromTheme(QStringLiteral("tarnwell.Plenwick"), builtInApplicationIcon());
}

} // namespace plenwick
