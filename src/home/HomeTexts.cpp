#include "home/HomeTexts.h"

#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "scanner/FileNode.h"
#include "services/Formatters.h"

#include <QDateTime>

#include <algorithm>
#include <cstdint>

namespace plenwick::home {

namespace {

// The calendar difference between `from` and the later `to`, largest unit first.
struct Difference {
    qint64 years = 0, months = 0, weeks = 0, days = 0, hours = 0, minutes = 0, seconds = 0;
};

Difference difference(const QDateTime& from, const QDateTime& to) {
    Difference d;
    d.years = to.date().year() - from.date().year();
    if (from.addYears(int(d.years)) > to) --d.years;
    const QDateTime afterYears = from.addYears(int(d.years));
    d.months = (to.date().year() * 12 + to.date().month()) - (afterYears.date().year() * 12 + afterYears.date().month());
    if (afterYears.addMonths(int(d.months)) > to) --d.months;
    const QDateTime afterMonths = afterYears.addMonths(int(d.months));
    qint64 days = afterMonths.date().daysTo(to.date());
    if (afterMonths.addDays(days) > to) --days;
    d.weeks = days / 7;
    d.days = days % 7;
    const qint64 seconds = afterMonths.addDays(days).secsTo(to);
    d.hours = seconds / 3600;
    d.minutes = seconds % 3600 / 60;
    d.seconds = seconds % 60;
    return d;
}

} // namespace

QString displayText(const std::string& bytes) { return QString::fromStdString(repairUtf8(bytes)); }

QString relativeDateText(Clock::time_point date, Clock::time_point now) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const bool past = date <= now;
    const QDateTime a = QDateTime::fromMSecsSinceEpoch(duration_cast<milliseconds>((past ? date : now).time_since_epoch()).count());
    const QDateTime b = QDateTime::fromMSecsSinceEpoch(duration_cast<milliseconds>((past ? now : date).time_since_epoch()).count());
    const Difference d = difference(a, b);

    struct Unit {
        qint64 value;
        const char* one;
        const char* many;
        const char* lastNamed; // the named form of one unit back, if any
        const char* nextNamed;
    };
    const Unit units[] = {
        {d.years, "year", "years", "last year", "next year"},
        {d.months, "month", "months", "last month", "next month"},
        {d.weeks, "week", "weeks", "last week", "next week"},
        {d.days, "day", "days", "yesterday", "tomorrow"},
        {d.hours, "hour", "hours", nullptr, nullptr},
        {d.minutes, "minute", "minutes", nullptr, nullptr},
        {d.seconds, "second", "seconds", nullptr, nullptr},
    };
    for (const Unit& unit : units) {
        if (unit.value == 0) continue;
        if (unit.value == 1 && unit.lastNamed) return QLatin1String(past ? unit.lastNamed : unit.nextNamed);
        const QString amount = QString::fromStdString(countText(unit.value, unit.one, unit.many));
        return past ? amount + QStringLiteral(" ago") : QStringLiteral("in ") + amount;
    }
    return QStringLiteral("now");
}

double usedFraction(const VolumeInfo& volume) {
    if (volume.totalCapacity <= 0) return 0;
    return static_cast<double>(volume.usedCapacity()) / static_cast<double>(volume.totalCapacity);
}

QString volumeSubtitle(const VolumeInfo& volume) {
    QString kind = volume.isNetwork        ? QStringLiteral("Network")
                   : volume.isRootVolume   ? QStringLiteral("Startup Disk")
                   : volume.isInternal     ? QStringLiteral("Internal")
                                           : QStringLiteral("External");
    if (volume.fileSystem.empty()) return kind;
    return displayText(volume.fileSystem) + QStringLiteral(" · ") + kind;
}

QString volumeFreeText(const VolumeInfo& volume) {
    return QString::fromStdString(formatByteCount(volume.availableCapacity)) + QStringLiteral(" free");
}

QString volumeCapacityText(const VolumeInfo& volume) {
    return QStringLiteral("of ") + QString::fromStdString(formatByteCount(volume.totalCapacity)) + QStringLiteral(" · ") +
           QString::fromStdString(formatPercent(usedFraction(volume))) + QStringLiteral(" used");
}

QString reservedSpaceSentence(const VolumeInfo& volume) {
    if (volume.reservedCapacity <= 0) return {};
    const std::int64_t withReserve = volume.totalCapacity > INT64_MAX - volume.reservedCapacity
                                         ? INT64_MAX
                                         : volume.totalCapacity + volume.reservedCapacity;
    return QStringLiteral("The file system also keeps ") +
           QString::fromStdString(formatByteCount(volume.reservedCapacity)) +
           QStringLiteral(" reserved for the system, which only the administrator can write to; it counts as "
                          "neither used nor free, and disk tools that count it show a size of ") +
           QString::fromStdString(formatByteCount(withReserve)) + QStringLiteral(".");
}

QString volumeSizeHelp(const VolumeInfo& volume) {
    const QString reserve = reservedSpaceSentence(volume);
    if (reserve.isEmpty()) return {};
    return QStringLiteral("The space in use plus the space free. ") + reserve;
}

VolumeSymbol volumeSymbol(const VolumeInfo& volume) {
    if (volume.isNetwork) return VolumeSymbol::network;
    if (volume.isRootVolume || volume.isInternal) return VolumeSymbol::internalDrive;
    if (volume.isRemovable) return VolumeSymbol::externalDriveBadgePlus;
    return VolumeSymbol::externalDrive;
}

QString returnBannerTitle(const FileNode& root, const VolumeNameMap& names) {
    return QStringLiteral("Back to results of ") + QString::fromStdString(displayName(root, names));
}

QString returnBannerSubtitle(std::int64_t size, std::int64_t fileCount, std::int64_t collectedCount,
                             std::optional<Clock::time_point> scannedAt, Clock::time_point now) {
    QStringList parts{QString::fromStdString(formatByteCount(size)),
                      QString::fromStdString(countText(fileCount, "file", "files"))};
    if (collectedCount > 0) parts << QString::fromStdString(countText(collectedCount, "item collected", "items collected"));
    if (scannedAt) parts << QStringLiteral("scanned ") + relativeDateText(*scannedAt, now);
    return parts.join(QStringLiteral(" · "));
}

QString returnBannerSubtitle(const FileNode& root, std::int64_t collectedCount,
                             std::optional<Clock::time_point> scannedAt, Clock::time_point now) {
    return returnBannerSubtitle(root.size(), root.fileCount(), collectedCount, scannedAt, now);
}

QString returnBannerToolTip(const FileNode& root) {
    std::string path = root.url();
    if (path.size() >= 2 && path.back() == '/') path.pop_back();
    return displayText(path);
}

QString recentDisplayName(const std::string& path, const VolumeNameMap& names) {
    return QString::fromStdString(pathDisplayName(path, names));
}

QString recentPathText(const std::string& path, bool exists) {
    return exists ? displayText(path) : displayText(path) + QStringLiteral(" — not available");
}

QString recentScanHelp(const std::string& path, const VolumeNameMap& names) {
    return QStringLiteral("Scan ") + recentDisplayName(path, names) + QStringLiteral(" again");
}

} // namespace plenwick::home
