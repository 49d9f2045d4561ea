#pragma once
// How the outline's shown columns share the table's width. The name column takes
// what the others leave, never less than its minimum. Before it goes below its first
// width, the columns that yield give way, the last shown one first, down to their
// minimums; the others keep their widths. Widths come back as the table widens, then
// the name column takes the rest.

#include <vector>

namespace plenwick {

struct OutlineColumnRoom {
    int wanted = 0;       // the width the column has when nothing presses it
    int minimum = 0;
    bool yields = false;  // gives way to the name column
};

struct OutlineColumnWidths {
    int name = 0;
    std::vector<int> others; // in the order given
    friend bool operator==(const OutlineColumnWidths&, const OutlineColumnWidths&) = default;
};

// `others`: the shown columns but the name column, in their order on screen.
OutlineColumnWidths fitOutlineColumns(int available, int nameFirst, int nameMinimum,
                                      const std::vector<OutlineColumnRoom>& others);

} // namespace plenwick
