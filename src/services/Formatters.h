#pragma once
// The shapes of figures shown everywhere: counts, percentages, paths, durations.
// Byte counts: platform/ByteCountFormatter.h.

#include <cstdint>
#include <string>
#include <string_view>

namespace plenwick {

// A whole number with the current locale's digits and grouping ("1,234").
std::string formatCount(std::int64_t count);
// A count and the noun that agrees with it: "1 file", "0 files", "1,234 files".
// Every count text of every view is made here, so none reads "1 files".
std::string countText(std::int64_t count, std::string_view one, std::string_view many);
// The same with the count in plain decimal digits ("1234 leftover items"), for the
// texts that show no grouping.
std::string decimalCountText(std::int64_t count, std::string_view one, std::string_view many);

// "5.0%" below 0.1, else whole percent ("26%"), in the current locale.
std::string formatPercent(double fraction);
// The same with explicit locale symbols; `percentPattern` holds "%1" where the number goes.
std::string formatPercent(double fraction, std::string_view decimalPoint, std::string_view percentPattern);

// The path with the home folder written as "~".
std::string abbreviatedPath(const std::string& path);
std::string abbreviatedPath(const std::string& path, const std::string& home);

// Shortened in the middle to at most `maxLength` user-perceived characters.
std::string truncateMiddle(std::string_view text, int maxLength);

// "M:SS", or "H:MM:SS" from an hour on.
std::string formatDuration(double seconds);

// A moment (`seconds` since 1970) in local time and the current locale: the date in
// the medium style, the month's name abbreviated ("Jan 5, 2024"); and that date with
// the time in hours and minutes ("Jan 5, 2024 3:04 PM").
std::string formatMediumDate(double seconds);
std::string formatMediumDateAndShortTime(double seconds);
// The medium date pattern, in Qt's date-format letters, made from a locale's long one:
// the weekday left out with the separator that joins it, the month's name abbreviated
// ("dddd, MMMM d, yyyy" gives "MMM d, yyyy").
std::string mediumDatePattern(std::string_view longPattern);

} // namespace plenwick
