#pragma once
// Names in canonical composition (Unicode NFC), so that the composed and the
// decomposed spellings of one name ("é" as one character, or "e" and a combining
// accent) compare equal and sort together. Any thread.

#include <string>
#include <string_view>

namespace plenwick {

// `name` (raw bytes; invalid UTF-8 stands for U+FFFD) in NFC, as UTF-8.
std::string canonicalName(std::string_view name);

} // namespace plenwick
