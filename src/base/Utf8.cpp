#include "base/Utf8.h"

namespace plenwick {
namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is invalid.
std::size_t validSequenceLength(std::string_view s, std::size_t i) noexcept {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) len = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else return 0;
    if (i + len > s.size()) return 0;
    const auto b1 = static_cast<unsigned char>(s[i + 1]);
    if (b1 < lo || b1 > hi) return 0;
    for (std::size_t k = 2; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (b < 0x80 || b > 0xBF) return 0;
    }
    return len;
}

// Length of the maximal prefix of an invalid sequence at s[i] that is replaced by
// one U+FFFD (the "maximal subpart" rule), at least 1.
std::size_t invalidRunLength(std::string_view s, std::size_t i) noexcept {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) need = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) { need = 3; if (b0 == 0xE0) lo = 0xA0; if (b0 == 0xED) hi = 0x9F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { need = 4; if (b0 == 0xF0) lo = 0x90; if (b0 == 0xF4) hi = 0x8F; }
    else return 1;
    std::size_t k = 1;
    for (; k < need && i + k < s.size(); ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        const unsigned char l = (k == 1) ? lo : 0x80, h = (k == 1) ? hi : 0xBF;
        if (b < l || b > h) break;
    }
    return k;
}

} // namespace

bool isValidUtf8(std::string_view bytes) noexcept {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) { ++i; continue; }
        const std::size_t n = validSequenceLength(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string repairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = validSequenceLength(bytes, i);
        if (n) {
            out.append(bytes.substr(i, n));
            i += n;
        } else {
            out.append("\xEF\xBF\xBD");
            i += invalidRunLength(bytes, i);
        }
    }
    return out;
}

namespace {

// Appends `c`, a code point below U+10000 (the symbols shown for controls).
void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The symbol shown for a control character or line break, or 0 for any other.
// Tab, line feed and carriage return take arrows that the common desktop fonts
// carry; the rarer controls take their Control Pictures.
char32_t visibleSymbolFor(char32_t c) noexcept {
    switch (c) {
    case 0x09: return 0x21E5;                     // ⇥
    case 0x0A: case 0x0B: case 0x0C: case 0x85:
    case 0x2028: case 0x2029: return 0x21B5;      // ↵
    case 0x0D: return 0x21E4;                     // ⇤
    case 0x7F: return 0x2421;                     // ␡
    default: break;
    }
    if (c < 0x20) return 0x2400 + c;
    if (c >= 0x80 && c < 0xA0) return 0xFFFD;
    return 0;
}

} // namespace

std::string visibleText(std::string_view bytes) {
    // Most names are plain printable ASCII: nothing to change.
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x20 || b >= 0x7F) break;
        ++i;
    }
    if (i == bytes.size()) return std::string(bytes);
    std::string out(bytes.substr(0, i));
    out.reserve(bytes.size() + 8);
    while (i < bytes.size()) {
        const std::size_t n = validSequenceLength(bytes, i);
        if (n == 0) {
            appendUtf8(out, 0xFFFD);
            i += invalidRunLength(bytes, i);
            continue;
        }
        const Utf8CodePoint point = decodeUtf8At(bytes, i);
        if (const char32_t symbol = visibleSymbolFor(point.value)) {
            appendUtf8(out, symbol);
        } else {
            out.append(bytes.substr(i, n));
        }
        i += n;
    }
    return out;
}

Utf8CodePoint decodeUtf8At(std::string_view bytes, std::size_t i) noexcept {
    const std::size_t n = i < bytes.size() ? validSequenceLength(bytes, i) : 0;
    if (n == 0) return {};
    const auto lead = static_cast<unsigned char>(bytes[i]);
    char32_t value = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) value = (value << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    return {value, n};
}

std::size_t codePointCount(std::string_view text) noexcept {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace plenwick
