#pragma once
// The outline table's columns: the saved layout restored and saved again soon after
// each change, columns shown and hidden from the header's menu, and the widths. The
// name column follows the table's width: it takes what the other shown columns leave,
// never less than its minimum, and the share column (while at its first width) gives
// way before it goes below its own (OutlineColumnFit). Each column keeps the width it
// wants, which is the one saved, whatever a narrow sidebar pressed it to. However deep
// the rows, the name column never takes room from the other columns: deep names give
// way instead. GUI thread only.

#include "outline/OutlineColumns.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <optional>

class QMenu;

namespace plenwick {

struct OutlineSort;
class OutlineTableView;
class Preferences;

class OutlineTableColumns final : public QObject {
    Q_OBJECT

public:
    // Restores the saved layout, the sort indicator showing `sort`. The table must
    // have its model.
    OutlineTableColumns(Preferences& preferences, OutlineTableView& view, const OutlineSort& sort);

    // Fits the shown columns to the table's width (see OutlineColumnFit) when it
    // changes, a restored layout fitted to it first.
    void fillNameColumn();
    // The user resized a column: not below its minimum, and the others fit.
    void columnResized(int logical, int newSize);
    // Shows the header's menu of columns at `globalPos`.
    QMenu* showHeaderMenu(QPoint globalPos);
    void toggleColumn(int logical);

    // The column layout as saved.
    void saveLayout();
    // Saves the layout soon (once for many changes).
    void scheduleSave();
    bool isSaveScheduled() const noexcept { return saveScheduled_; }

private:
    // Resizes a column without taking it for the user's resize.
    void resize(int logical, int size);
    // Takes the columns' widths as the ones they want.
    void noteWantedWidths();
    // Gives every shown column its width; `held` keeps the one the user resizes.
    void layOut(std::optional<int> held);

    Preferences& preferences_;
    OutlineTableView& view_;
    bool resizing_ = false;
    bool saveScheduled_ = false;
    // A saved layout was restored and is fitted to the table's first width.
    bool fitRestoredLayout_ = false;
    // By logical index: the width each column has when nothing presses it.
    std::array<int, kOutlineColumnCount> wanted_{};
};

} // namespace plenwick
