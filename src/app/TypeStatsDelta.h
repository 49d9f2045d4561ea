#pragma once
// The file-type statistics updated by difference after an edit of the tree: the
// totals of what left are subtracted, those of what entered are added, and new
// extensions continue the colour sequence. Colours of known extensions never change.

#include "scanner/Color.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace plenwick {

using ExtensionColors = std::unordered_map<std::string, RGB>;
using TypeTotals = FileTypeStatsBuilder::Entries;

// Adds `more` into `into`; an extension already present keeps its first category.
void mergeTypeTotals(TypeTotals& into, const TypeTotals& more);

// Applies one update. `stats` comes back sorted (size descending, then extension);
// new extensions get colours from `nextColorIndex` on, recorded in `colors`.
void applyTypeStatsDelta(std::vector<FileTypeStat>& stats, ExtensionColors& colors, int& nextColorIndex,
                         const TypeTotals& removed, const TypeTotals& added);

} // namespace plenwick
