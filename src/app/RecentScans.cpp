#include "app/RecentScans.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace plenwick {

namespace {

// 2001-01-01 00:00:00 UTC in seconds since 1970.
constexpr double referenceEpoch = 978307200.0;

std::optional<RecentScan> decodeElement(const QJsonValue& element) {
    if (!element.isObject()) return std::nullopt;
    const QJsonObject object = element.toObject();
    const QJsonValue path = object.value(QLatin1String("path"));
    const QJsonValue date = object.value(QLatin1String("date"));
    if (!path.isString() || !date.isDouble() || !std::isfinite(date.toDouble())) return std::nullopt;
    RecentScan scan;
    scan.path = path.toString().toStdString();
    scan.date = date.toDouble();
    const QJsonValue size = object.value(QLatin1String("size"));
    if (size.isDouble()) {
        // Whole numbers only, also when written as 1.0e9.
        const double value = size.toDouble();
        if (!std::isfinite(value) || std::trunc(value) != value) return std::nullopt;
        const qint64 whole = size.toInteger(std::numeric_limits<qint64>::min());
        if (whole == std::numeric_limits<qint64>::min()) return std::nullopt;
        scan.size = whole;
    } else if (!size.isUndefined() && !size.isNull()) {
        return std::nullopt;
    }
    return scan;
}

} // namespace

double RecentScan::referenceSeconds(std::chrono::system_clock::time_point time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count() - referenceEpoch;
}

std::chrono::system_clock::time_point RecentScan::timePoint(double referenceSeconds) {
    const std::chrono::duration<double> since1970(referenceSeconds + referenceEpoch);
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(since1970));
}

namespace RecentScans {

std::vector<RecentScan> decode(const QByteArray& data) {
    std::vector<RecentScan> scans;
    if (data.isEmpty()) return scans;
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isArray()) return scans;
    const QJsonArray array = document.array();
    for (const QJsonValue& element : array)
        if (std::optional<RecentScan> scan = decodeElement(element)) scans.push_back(std::move(*scan));
    return scans;
}

QByteArray encode(const std::vector<RecentScan>& scans) {
    // Written by hand so that the members keep their order: path, date, size.
    QByteArray out("[");
    for (std::size_t i = 0; i < scans.size(); ++i) {
        const RecentScan& scan = scans[i];
        if (i > 0) out += ',';
        // One-element arrays let QJsonDocument do the escaping and number formatting.
        const auto json = [](const QJsonValue& value) {
            const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
            return text.mid(1, text.size() - 2);
        };
        out += "{\"path\":" + json(QString::fromStdString(scan.path)) + ",\"date\":" + json(scan.date);
        if (scan.size) out += ",\"size\":" + json(static_cast<qint64>(*scan.size));
        out += '}';
    }
    out += ']';
    return out;
}

std::vector<RecentScan> adding(const std::string& rawPath, std::optional<std::int64_t> size, double date,
                               std::vector<RecentScan> scans) {
    const std::string path = normalizedPathOrSelf(rawPath);
    const auto found = std::find_if(scans.begin(), scans.end(), [&](const RecentScan& s) { return s.path == path; });
    if (!size && found != scans.end()) size = found->size;
    scans = removing(path, std::move(scans));
    scans.insert(scans.begin(), RecentScan{path, date, size});
    if (scans.size() > limit) scans.resize(limit);
    return scans;
}

std::vector<RecentScan> removing(const std::string& path, std::vector<RecentScan> scans) {
    std::erase_if(scans, [&](const RecentScan& s) { return s.path == path; });
    return scans;
}

std::vector<RecentScan> resizing(const std::string& rawPath, std::int64_t size, std::vector<RecentScan> scans) {
    const std::string path = normalizedPathOrSelf(rawPath);
    for (RecentScan& scan : scans)
        if (scan.path == path) scan.size = size;
    return scans;
}

std::vector<RecentScan> load(const Preferences& preferences) {
    return decode(preferences.value(preferenceKey).toByteArray());
}

void record(Preferences& preferences, const std::string& path, std::optional<std::int64_t> size,
            std::chrono::system_clock::time_point now) {
    if (!isValidUtf8(path)) return;
    std::vector<RecentScan> scans = adding(path, size, RecentScan::referenceSeconds(now), load(preferences));
    preferences.setValue(preferenceKey, encode(scans));
}

void remove(Preferences& preferences, const std::string& path) {
    preferences.setValue(preferenceKey, encode(removing(path, load(preferences))));
}

void updateSize(Preferences& preferences, const std::string& path, std::int64_t size) {
    const std::vector<RecentScan> scans = load(preferences);
    std::vector<RecentScan> resized = resizing(path, size, scans);
    if (resized != scans) preferences.setValue(preferenceKey, encode(resized));
}

} // namespace RecentScans

} // namespace plenwick
