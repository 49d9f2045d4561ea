#include "outline/OutlineColumnFit.h"

#include <algorithm>
#include <numeric>

namespace plenwick {

OutlineColumnWidths fitOutlineColumns(int available, int nameFirst, int nameMinimum,
                                      const std::vector<OutlineColumnRoom>& others) {
    OutlineColumnWidths widths;
    for (const OutlineColumnRoom& column : others) widths.others.push_back(column.wanted);
    const auto othersWidth = [&] { return std::accumulate(widths.others.begin(), widths.others.end(), 0); };
    int short_ = nameFirst - (available - othersWidth());
    for (std::size_t i = others.size(); i-- > 0 && short_ > 0;) {
        if (!others[i].yields) continue;
        const int given = std::clamp(widths.others[i] - others[i].minimum, 0, short_);
        widths.others[i] -= given;
        short_ -= given;
    }
    widths.name = std::max(nameMinimum, available - othersWidth());
    return widths;
}

} // namespace plenwick
