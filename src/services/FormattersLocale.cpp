#include "services/Formatters.h"

#include <QLocale>

namespace plenwick {

std::string formatCount(std::int64_t count) {
    return QLocale().toString(static_cast<qlonglong>(count)).toStdString();
}

std::string formatPercent(double fraction) {
    const QLocale locale;
    // Qt gives the sign but not its place; these languages write it after a space.
    QString pattern = QStringLiteral("%1") + locale.percent();
    switch (locale.language()) {
    case QLocale::French: case QLocale::German: case QLocale::Swedish: case QLocale::NorwegianBokmal:
    case QLocale::Danish: case QLocale::Finnish: case QLocale::Spanish: case QLocale::Czech:
    case QLocale::Russian: case QLocale::Polish:
        pattern = QStringLiteral("%1") + QChar(0x00A0) + locale.percent();
        break;
    case QLocale::Turkish:
        pattern = locale.percent() + QStringLiteral("%1");
        break;
    default:
        break;
    }
    return formatPercent(fraction, locale.decimalPoint().toStdString(), pattern.toStdString());
}

} // namespace plenwick
