#pragma once
// Path names as raw bytes: the last component and the parent (trailing slashes
// ignored), and the normalised form of a path.

#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

// The path without trailing slashes ("/" stays "/").
std::string_view withoutTrailingSlashes(std::string_view path) noexcept;
std::string lastPathComponent(std::string_view path);
// "/" for a top-level item, "." for a bare name.
std::string parentPath(std::string_view path);
// `folder` followed by "/" and `name`; a trailing "/" of the folder is not doubled.
std::string appendingPathComponent(std::string_view folder, std::string_view name);

// Absolute, "." and ".." resolved without following links, no trailing "/" (but
// "/" stays "/"). A relative path is taken from the working folder; none when that
// cannot be found (deleted, or not searchable).
std::optional<std::string> normalizePath(std::string_view path);
// The same, for paths that are absolute already (bundles, the XDG folders): a
// relative one whose working folder is gone comes back unchanged.
std::string normalizedPathOrSelf(std::string_view path);

} // namespace plenwick
