#pragma once
// What a property list may cost before it reaches libplist, which builds the whole
// tree before anyone can look at it. A small binary list whose objects are referenced
// many times expands to gigabytes; deep nesting exhausts the library's recursion; an
// XML text full of entities makes its unescaping quadratic. Such input is refused
// before the library sees it.
//
// The budgets lie far above real Info.plist and launch-job files (a few hundred to a
// few thousand objects, nested under ten deep, with a handful of entities), and keep
// parsing and converting one list to a few MB and a few ms:
//   - objects reached: 20,000. In a binary list every reference counts, so an object
//     reached twice costs twice; in XML every element, comment, CDATA section and
//     processing instruction counts;
//   - nesting: 64 levels;
//   - binary: string and data bytes reached at most 1 MiB beyond the file's own size
//     (writers store equal strings once and refer to them from many places);
//   - XML: entity work, the entities in a text times the text's length (what the
//     library's unescaping moves), 2^26 bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plenwick {

constexpr std::size_t maxPlistObjects = 20'000;
constexpr std::size_t maxPlistDepth = 64;
constexpr std::size_t maxPlistExpansion = std::size_t{1} << 20;
constexpr std::uint64_t maxPlistEntityWork = std::uint64_t{1} << 26;

// Whether `bytes` stays within the budgets above. A binary list must also be sound
// enough to walk: trailer, offset table, every offset, length and reference inside
// the buffer. Anything that isn't binary is checked as XML.
bool isWithinPropertyListBounds(std::string_view bytes);

} // namespace plenwick
