#pragma once
// User-perceived characters of UTF-8 text, approximately: a base code point with the
// combining marks, joiners, variation selectors and skin-tone modifiers that follow
// it; regional-indicator pairs, decomposed Hangul syllables and CR LF count as one.

#include <cstddef>
#include <string_view>
#include <vector>

namespace plenwick {

// Byte offsets where each character starts, followed by the text's length.
std::vector<std::size_t> characterBoundaries(std::string_view text);
std::size_t characterCount(std::string_view text);

} // namespace plenwick
