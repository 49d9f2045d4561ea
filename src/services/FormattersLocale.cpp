#include "services/Formatters.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

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

namespace {

QDateTime localMoment(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(seconds * 1000.0));
}

QString mediumDate(const QLocale& locale, const QDate& date) {
    return locale.toString(date, QString::fromStdString(mediumDatePattern(locale.dateFormat(QLocale::LongFormat).toStdString())));
}

} // namespace

std::string formatMediumDate(double seconds) {
    return mediumDate(QLocale(), localMoment(seconds).date()).toStdString();
}

std::string formatMediumDateAndShortTime(double seconds) {
    const QLocale locale;
    const QDateTime when = localMoment(seconds);
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QRegularExpression(QStringLiteral("[:.]ss")));
    return (mediumDate(locale, when.date()) + QLatin1Char(' ') + locale.toString(when.time(), time)).toStdString();
}

} // namespace plenwick
