#pragma once
// Transparent hashing, so sets and maps keyed by std::string can be searched with
// a std::string_view (raw name bytes) without building a string.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace plenwick {

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;
template <typename Value>
using StringMap = std::unordered_map<std::string, Value, StringHash, std::equal_to<>>;

} // namespace plenwick
