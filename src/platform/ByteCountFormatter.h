#pragma once
// Byte counts in the desktop's file style: decimal units, "Zero KB", "1 byte",
// "N bytes", KB without decimals, MB with one, GB and above with two.

#include <cstdint>
#include <string>
#include <string_view>

namespace plenwick {

// In the current locale's number format.
std::string formatByteCount(std::int64_t bytes);
// With an explicit decimal separator.
std::string formatByteCount(std::int64_t bytes, std::string_view decimalPoint);

} // namespace plenwick
