#pragma once
// User-perceived characters (grapheme clusters) of UTF-8 text, by Unicode's rules:
// a letter with its combining marks, an emoji sequence, a flag and CR LF are one
// character each. A byte that is not valid UTF-8 is a character of its own.

#include <cstddef>
#include <string_view>
#include <vector>

namespace plenwick {

// Byte offsets where each character starts, followed by the text's length.
std::vector<std::size_t> characterBoundaries(std::string_view text);
std::size_t characterCount(std::string_view text);

} // namespace plenwick
