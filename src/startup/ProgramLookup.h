#pragma once
// Whether the program an entry or a unit starts is there: an absolute path that
// exists, or a bare name found in one of the search path's folders.

#include <string>
#include <string_view>

namespace plenwick {

// A program whose path can't be judged (relative with a folder, or holding an
// unexpanded "%" specifier) counts as found: only what is surely gone is missing.
bool programExists(const std::string& program, std::string_view searchPath);

} // namespace plenwick
