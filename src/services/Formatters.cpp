#include "services/Formatters.h"

#include "base/HomeDirectory.h"
#include "services/TextClusters.h"

#include <cmath>
#include <cstdio>
#include <cstdint>

namespace plenwick {

namespace {

std::string withNoun(std::string number, std::int64_t count, std::string_view one, std::string_view many) {
    number += ' ';
    number += count == 1 ? one : many;
    return number;
}

} // namespace

std::string countText(std::int64_t count, std::string_view one, std::string_view many) {
    return withNoun(formatCount(count), count, one, many);
}

std::string decimalCountText(std::int64_t count, std::string_view one, std::string_view many) {
    return withNoun(std::to_string(count), count, one, many);
}

std::string formatPercent(double fraction, std::string_view decimalPoint, std::string_view percentPattern) {
    if (!std::isfinite(fraction)) fraction = 0;
    const double percent = fraction * 100;
    // Kept well inside the range where printf's rounding is meaningful.
    const double shown = std::fmin(std::fmax(percent, -1e15), 1e15);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, fraction < 0.1 ? "%.1f" : "%.0f", shown);
    std::string number = buffer;
    if (number == "-0.0") number = "0.0";
    if (number == "-0") number = "0";
    if (const auto dot = number.find('.'); dot != std::string::npos) number.replace(dot, 1, decimalPoint);
    std::string text(percentPattern);
    if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, number);
    return text;
}

std::string abbreviatedPath(const std::string& path, const std::string& homeFolder) {
    std::string home = homeFolder;
    if (!home.empty() && home.back() == '/') home.pop_back();
    if (home.empty()) return path;
    if (path == home || (path.size() > home.size() && path.compare(0, home.size(), home) == 0 && path[home.size()] == '/'))
        return "~" + path.substr(home.size());
    return path;
}

std::string abbreviatedPath(const std::string& path) {
    return abbreviatedPath(path, homeDirectory());
}

std::string truncateMiddle(std::string_view text, int maxLength) {
    if (maxLength < 1) return {};
    const std::vector<std::size_t> bounds = characterBoundaries(text);
    const std::size_t count = bounds.size() - 1;
    const auto n = static_cast<std::size_t>(maxLength);
    if (count <= n) return std::string(text);
    if (n == 1) return "…";
    const std::size_t head = 2 * (n - 1) / 5;
    const std::size_t tail = n - 1 - head;
    std::string result(text.substr(0, bounds[head]));
    result += "…";
    result += text.substr(bounds[count - tail]);
    return result;
}

std::string formatDuration(double seconds) {
    // Not a number reads as nothing elapsed; beyond 64 bits is clamped.
    if (std::isnan(seconds)) seconds = 0;
    const double whole = std::floor(std::fmin(seconds, 9.2e18));
    const std::int64_t t = whole < 0 ? 0 : static_cast<std::int64_t>(whole);
    char buffer[64];
    if (whole >= 3600)
        std::snprintf(buffer, sizeof buffer, "%lld:%02d:%02d", static_cast<long long>(t / 3600),
                      static_cast<int>(t % 3600 / 60), static_cast<int>(t % 60));
    else
        std::snprintf(buffer, sizeof buffer, "%d:%02d", static_cast<int>(t / 60), static_cast<int>(t % 60));
    return buffer;
}

} // namespace plenwick
