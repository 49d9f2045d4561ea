#include "scanner/FileTypeStat.h"

#include <algorithm>

namespace plenwick {

void sortTypeStats(std::vector<FileTypeStat>& stats) {
    std::stable_sort(stats.begin(), stats.end(), [](const FileTypeStat& a, const FileTypeStat& b) {
        if (a.size != b.size) return a.size > b.size;
        return a.ext < b.ext;
    });
}

} // namespace plenwick
