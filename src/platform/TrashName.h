#pragma once
// Names of items in the Trash, free of collisions and short enough for their info
// file ("<name>.trashinfo") to be a valid name.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

// The longest name an item takes in the Trash: 255 bytes less ".trashinfo".
inline constexpr std::size_t maximumTrashNameLength = 245;

// The extension: the text after the last dot, empty when there is none or the only
// dot starts the name.
std::string_view nameExtension(std::string_view name);
// The n-th candidate for `name`: the name itself for n < 2, else "<base> n.<ext>"
// ("<base> n" without an extension). A candidate longer than
// maximumTrashNameLength has its base shortened (at a character's start when the
// name is valid UTF-8); the extension stays unless it leaves too little of the base.
std::string trashNameCandidate(std::string_view name, int n);
// Offers `take` the candidates for `name` in order until it accepts one, and returns
// that one; none when it refused the first `limit`.
std::optional<std::string> takeFreeTrashName(std::string_view name,
                                             const std::function<bool(const std::string& candidate)>& take,
                                             int limit = 1'000'000);

} // namespace plenwick
