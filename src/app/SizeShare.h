#pragma once
// Sizes and shares as every view shows them. An unreadable folder's size is not
// known (the scan never saw inside it), so it has no share and its size reads "—";
// and nothing is a share of a whole that holds nothing.

#include "scanner/FileNode.h"

#include <optional>

namespace plenwick {

// False for an item the scan could not read.
bool isSizeKnown(const FileNode& node) noexcept;

// `part`'s size as a fraction of `whole`'s (1 = all of it); none when either size is
// unknown or the whole holds nothing.
std::optional<double> sizeShare(const FileNode& part, const FileNode& whole) noexcept;

} // namespace plenwick
