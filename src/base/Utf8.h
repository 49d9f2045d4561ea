#pragma once
// Names are raw bytes everywhere; these turn them into text only for display and
// for comparisons that are meant to be by text.

#include <string>
#include <string_view>

namespace plenwick {

bool isValidUtf8(std::string_view bytes) noexcept;
// Decodes as UTF-8, replacing each invalid sequence by U+FFFD.
std::string repairUtf8(std::string_view bytes);
// What a view shows of a name or path: invalid sequences as U+FFFD, and every control
// character as a visible symbol instead of a break, a jump or nothing (tab ⇥, line
// feed and other line breaks ↵, carriage return ⇤, the other C0 controls and DEL
// their Control Pictures, C1 controls U+FFFD). Nothing of the name is dropped.
std::string visibleText(std::string_view bytes);
// The code point whose valid sequence starts at bytes[i], and the sequence's length;
// length 0 when the bytes there are not valid UTF-8.
struct Utf8CodePoint {
    char32_t value = 0;
    std::size_t length = 0;
};
Utf8CodePoint decodeUtf8At(std::string_view bytes, std::size_t i) noexcept;
// Number of code points in text that is valid UTF-8 (continuation bytes are not counted).
std::size_t codePointCount(std::string_view text) noexcept;
// ASCII letters lowered; other bytes kept.
std::string asciiLower(std::string_view text);

} // namespace plenwick
