#pragma once
// The shapes of figures shown everywhere: percentages, paths, durations.
// Byte counts: platform/ByteCountFormatter.h.

#include <string>
#include <string_view>

namespace plenwick {

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

} // namespace plenwick
