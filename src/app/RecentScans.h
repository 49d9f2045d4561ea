#pragma once
// The folders and volumes scanned lately, newest first, at most six, kept in the
// preferences under "Plenwick.recentScans" as the UTF-8 text of a JSON array:
//   [{"path":"/home/ann/Projects","date":745000000.5,"size":123456}, …]
// "date" counts seconds since 2001-01-01 00:00:00 UTC; "size" is left out when no scan
// of the path has finished since it entered the list, and follows the results' edits
// in place (rescans, moves to the Trash) after that. The stored value is the only
// copy: every operation reads it afresh.
//
// Paths are raw bytes and compared byte for byte (two spellings of one name in
// different Unicode normal forms name two folders on Linux).

#include "app/Preferences.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

struct RecentScan {
    std::string path;                 // normalised, no trailing "/" except for "/" itself
    double date = 0;                  // seconds since 2001-01-01 00:00:00 UTC
    std::optional<std::int64_t> size; // allocated bytes of the last finished scan

    const std::string& id() const noexcept { return path; }
    friend bool operator==(const RecentScan&, const RecentScan&) = default;

    // Seconds since the reference date of `time`, and back.
    static double referenceSeconds(std::chrono::system_clock::time_point time);
    static std::chrono::system_clock::time_point timePoint(double referenceSeconds);
};

namespace RecentScans {

inline const QString preferenceKey = QStringLiteral("Plenwick.recentScans");
inline constexpr std::size_t limit = 6;

// The stored list, element by element: an element that is not an object with a
// string "path" and a numeric "date", or whose "size" is neither absent, null nor a
// whole number, is skipped; the others are kept in stored order (not sorted, not
// shortened). Anything but a JSON array reads as the empty list.
std::vector<RecentScan> decode(const QByteArray& data);
// The stored form of `scans`: members "path", "date", then "size" when present.
QByteArray encode(const std::vector<RecentScan>& scans);

// `scans` with `path` (normalised) moved to the front with `date`: every entry of the
// same path goes; without a `size` the first such entry's size is kept; the list is
// cut to the newest `limit` entries.
std::vector<RecentScan> adding(const std::string& path, std::optional<std::int64_t> size, double date,
                               std::vector<RecentScan> scans);
// `scans` without any entry of `path`.
std::vector<RecentScan> removing(const std::string& path, std::vector<RecentScan> scans);
// `scans` with the entry of `path` (normalised) holding `size`, its date and place
// kept; unchanged when there is none.
std::vector<RecentScan> resizing(const std::string& path, std::int64_t size, std::vector<RecentScan> scans);

// The list stored in `preferences`.
std::vector<RecentScan> load(const Preferences& preferences);
// Reads the stored list, adds the path with the current time, and writes it back. A
// path that is not valid UTF-8 cannot be written as JSON text faithfully and is not
// recorded.
void record(Preferences& preferences, const std::string& path, std::optional<std::int64_t> size,
            std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
// Reads the stored list, removes every entry of `path` and writes it back, in one
// step: a record made since the list was shown is kept.
void remove(Preferences& preferences, const std::string& path);
// The scan of `path` changed in place (a folder rescanned, items moved to the Trash):
// its entry, when listed, takes the size it has now. Written only when it changed.
void updateSize(Preferences& preferences, const std::string& path, std::int64_t size);

} // namespace RecentScans

} // namespace plenwick
