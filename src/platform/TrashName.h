#pragma once
// Names of items in the Trash, free of collisions.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

// The extension: the text after the last dot, empty when there is none or the only
// dot starts the name.
std::string_view nameExtension(std::string_view name);
// The n-th candidate for `name`: the name itself for n < 2, else "<base> n.<ext>"
// ("<base> n" without an extension).
std::string trashNameCandidate(std::string_view name, int n);
// Offers `take` the candidates for `name` in order until it accepts one, and returns
// that one; none when it refused the first `limit`.
std::optional<std::string> takeFreeTrashName(std::string_view name,
                                             const std::function<bool(const std::string& candidate)>& take,
                                             int limit = 1'000'000);

} // namespace plenwick
