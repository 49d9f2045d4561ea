#include "services/Formatters.h"

#include "base/HomeDirectory.h"
#include "services/TextClusters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <vector>

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

namespace {

// A piece of a date pattern: a run of one field letter, or the literal text between.
struct PatternPiece {
    std::string text;
    bool field = false;
};

std::vector<PatternPiece> splitPattern(std::string_view pattern) {
    std::vector<PatternPiece> pieces;
    auto literal = [&]() -> std::string& {
        if (pieces.empty() || pieces.back().field) pieces.push_back({});
        return pieces.back().text;
    };
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            // A quoted literal, kept with its quotes ('' is a quote).
            std::size_t end = i + 1;
            while (end < pattern.size()) {
                if (pattern[end] == '\'' && end + 1 < pattern.size() && pattern[end + 1] == '\'') {
                    end += 2;
                } else if (pattern[end] == '\'') {
                    break;
                } else {
                    ++end;
                }
            }
            end = std::min(end + 1, pattern.size());
            literal() += pattern.substr(i, end - i);
            i = end;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::size_t end = i;
            while (end < pattern.size() && pattern[end] == c) ++end;
            pieces.push_back({std::string(pattern.substr(i, end - i)), true});
            i = end;
        } else {
            literal().push_back(c);
            ++i;
        }
    }
    return pieces;
}

// Literal text that only joins fields: spaces and commas (also the ideographic and
// Arabic commas and the no-break space).
bool isSeparator(const PatternPiece& piece) {
    if (piece.field) return false;
    std::string_view rest = piece.text;
    static constexpr std::string_view wide[] = {"\u00A0", "\u3001", "\u060C", "\u202F"};
    while (!rest.empty()) {
        if (rest.front() == ' ' || rest.front() == ',') {
            rest.remove_prefix(1);
            continue;
        }
        bool matched = false;
        for (std::string_view w : wide)
            if (rest.starts_with(w)) {
                rest.remove_prefix(w.size());
                matched = true;
                break;
            }
        if (!matched) return false;
    }
    return true;
}

} // namespace

std::string mediumDatePattern(std::string_view longPattern) {
    std::vector<PatternPiece> pieces = splitPattern(longPattern);
    for (std::size_t i = 0; i < pieces.size();) {
        const PatternPiece& piece = pieces[i];
        if (!(piece.field && piece.text[0] == 'd' && piece.text.size() >= 3)) {
            ++i;
            continue;
        }
        // The weekday goes with the separator after it, or else the one before it.
        if (i + 1 < pieces.size() && isSeparator(pieces[i + 1])) {
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i), pieces.begin() + static_cast<std::ptrdiff_t>(i + 2));
        } else if (i > 0 && isSeparator(pieces[i - 1])) {
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i - 1), pieces.begin() + static_cast<std::ptrdiff_t>(i + 1));
            --i;
        } else {
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    while (!pieces.empty() && isSeparator(pieces.front())) pieces.erase(pieces.begin());
    while (!pieces.empty() && isSeparator(pieces.back())) pieces.pop_back();
    // A weekday joined by a literal that also holds other text ("일 dddd") leaves
    // that literal's spaces and commas at an end of the pattern.
    auto isJoiner = [](char c) { return c == ' ' || c == ','; };
    if (!pieces.empty() && !pieces.back().field)
        while (!pieces.back().text.empty() && isJoiner(pieces.back().text.back())) pieces.back().text.pop_back();
    if (!pieces.empty() && !pieces.front().field)
        while (!pieces.front().text.empty() && isJoiner(pieces.front().text.front())) pieces.front().text.erase(0, 1);
    std::string out;
    for (PatternPiece& piece : pieces) {
        if (piece.field && piece.text == "MMMM") piece.text = "MMM";
        out += piece.text;
    }
    return out;
}

} // namespace plenwick
