#pragma once
// The file browser's order of names: case-insensitive, runs of digits by value
// ("Disk 9" before "Disk 10").

#include <string_view>

namespace plenwick {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int naturalCompare(std::string_view a, std::string_view b) noexcept;

} // namespace plenwick
