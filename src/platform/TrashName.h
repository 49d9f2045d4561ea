#pragma once
// Names of items in the Trash, free of collisions.

#include <string>
#include <string_view>

namespace plenwick {

// The extension: the text after the last dot, empty when there is none or the only
// dot starts the name.
std::string_view nameExtension(std::string_view name);
// The n-th candidate for `name`: the name itself for n < 2, else "<base> n.<ext>"
// ("<base> n" without an extension).
std::string trashNameCandidate(std::string_view name, int n);

} // namespace plenwick
