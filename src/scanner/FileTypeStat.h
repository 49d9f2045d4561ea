#pragma once
// The statistics of one extension: its totals and the colour it is shown in.

#include "base/HashCombine.h"
#include "scanner/Color.h"
#include "scanner/FileCategory.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plenwick {

struct FileTypeStat {
    std::string ext; // empty for files without an extension
    FileCategory category = FileCategory::other;
    std::int64_t size = 0;  // allocated bytes
    std::int64_t count = 0; // files
    RGB rgb;

    // Identified by its extension; equal when every field is.
    const std::string& id() const noexcept { return ext; }
    friend bool operator==(const FileTypeStat&, const FileTypeStat&) = default;
};

// The order of the statistics: larger size first, then smaller extension; stable.
void sortTypeStats(std::vector<FileTypeStat>& stats);

} // namespace plenwick

template <>
struct std::hash<plenwick::FileTypeStat> {
    std::size_t operator()(const plenwick::FileTypeStat& s) const noexcept {
        std::size_t seed = std::hash<std::string>{}(s.ext);
        for (std::size_t h : {std::hash<int>{}(static_cast<int>(s.category)), std::hash<std::int64_t>{}(s.size),
                              std::hash<std::int64_t>{}(s.count), std::hash<plenwick::RGB>{}(s.rgb)})
            plenwick::hashCombine(seed, h);
        return seed;
    }
};
