#include "platform/ByteCountFormatter.h"

#include <array>
#include <cstdlib>

namespace plenwick {
namespace {

struct Unit {
    const char* name;
    std::int64_t size;
    int decimals;
};
constexpr std::array<Unit, 6> units{{
    {"KB", 1'000, 0},
    {"MB", 1'000'000, 1},
    {"GB", 1'000'000'000, 2},
    {"TB", 1'000'000'000'000, 2},
    {"PB", 1'000'000'000'000'000, 2},
    {"EB", 1'000'000'000'000'000'000, 2},
}};

constexpr std::int64_t powerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// magnitude / unit rounded half up to `decimals` places, as an integer of hundredths etc.
unsigned __int128 scaled(unsigned __int128 magnitude, const Unit& unit) {
    const unsigned __int128 factor = static_cast<unsigned __int128>(powerOfTen(unit.decimals));
    return (magnitude * factor * 2 + static_cast<unsigned __int128>(unit.size)) /
           (static_cast<unsigned __int128>(unit.size) * 2);
}

} // namespace

std::string formatByteCount(std::int64_t bytes, std::string_view decimalPoint) {
    if (bytes == 0) return "Zero KB";
    const std::string sign = bytes < 0 ? "-" : "";
    // Magnitude without overflow for INT64_MIN.
    const unsigned __int128 magnitude =
        bytes < 0 ? static_cast<unsigned __int128>(-(bytes + 1)) + 1 : static_cast<unsigned __int128>(bytes);
    if (magnitude == 1) return sign + "1 byte";
    if (magnitude < 1000) return sign + std::to_string(static_cast<unsigned>(magnitude)) + " bytes";

    std::size_t index = 0;
    while (index + 1 < units.size() && magnitude >= static_cast<unsigned __int128>(units[index + 1].size)) ++index;
    unsigned __int128 value = scaled(magnitude, units[index]);
    // Rounding may reach 1000 of a unit: show one of the next instead ("1 MB", not "1000 KB").
    if (index + 1 < units.size() && value >= static_cast<unsigned __int128>(1000 * powerOfTen(units[index].decimals))) {
        ++index;
        value = scaled(magnitude, units[index]);
    }
    const std::int64_t factor = powerOfTen(units[index].decimals);
    std::string text = sign + std::to_string(static_cast<unsigned long long>(value / factor));
    std::string fraction;
    std::int64_t rest = static_cast<std::int64_t>(value % factor);
    for (std::int64_t place = factor / 10; place > 0; place /= 10) {
        fraction += static_cast<char>('0' + rest / place);
        rest %= place;
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) {
        text += decimalPoint;
        text += fraction;
    }
    return text + " " + units[index].name;
}

} // namespace plenwick
