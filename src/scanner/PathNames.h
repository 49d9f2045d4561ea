#pragma once
// The last component and the parent of a path, as raw bytes; trailing slashes ignored.

#include <string>
#include <string_view>

namespace plenwick {

// The path without trailing slashes ("/" stays "/").
std::string_view withoutTrailingSlashes(std::string_view path) noexcept;
std::string lastPathComponent(std::string_view path);
// "/" for a top-level item, "." for a bare name.
std::string parentPath(std::string_view path);

} // namespace plenwick
