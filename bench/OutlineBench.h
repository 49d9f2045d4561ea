#pragma once
// Times the outline list on a scanned tree, for the UI benchmark: the two walks of
// the flat lists, sorting a large folder by name, an update of the sidebar that
// changes nothing, how long a tree edit waits for a running walk, and a hover.

namespace plenwick {

class AppState;
class FileOutlineView;

namespace bench {

struct OutlineTimes {
    double largestMs = 0;         // largest_ms: the 1,000 largest files of the root, best run
    double searchMs = 0;          // search_ms: an ASCII query over the whole tree, best run
    double searchNonASCIIMs = 0;  // search_nonascii_ms: a query with an accent, best run
    double sort100kMs = 0;        // sort_100k_ms: 100,000 children ordered by name, best run
    double reloadMs = 0;          // outline_reload_ms: an update that changes nothing, slowest of many
    int reloadResets = 0;         // model resets during those updates (should be none)
    double writerWaitMs = 0;      // writer_wait_ms: the longest a write lock waited for a walk's batch
};

// The widest folder below the root (100,000 files in the wide tree) in the results
// screen's outline: the frames of opening it, of scrolling through it, and of
// sorting the tree by name and back by size with it open.
struct WideFolderTimes {
    long long rows = 0;       // wide_rows: its entries
    double expandMs = 0;      // wide_expand_ms: opened and painted
    double scrollMs = 0;      // wide_scroll_ms: the slowest of 60 frames scrolling through it
    double sortMs = 0;        // wide_sort_ms: the slowest frame of sorting by name and back by size
};
WideFolderTimes measureWideFolder(AppState& state, FileOutlineView& sidebar);

// `sidebar` is the results screen's outline, on screen.
OutlineTimes measureOutline(AppState& state, FileOutlineView& sidebar, int runs = 5);

// outline_hover_ms: a sidebar of its own, alone on screen and listing the 1,000
// largest files, while the state's hover moves between two of its rows: the change
// handled and the rows repainted, best of `runs`.
double measureOutlineHover(AppState& state, int runs = 30);

} // namespace bench
} // namespace plenwick
