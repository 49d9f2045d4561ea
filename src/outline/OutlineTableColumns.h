#pragma once
// The outline table's columns: the saved layout restored and saved again soon after
// each change, columns shown and hidden from the header's menu, and the widths. Only
// the name column follows the table's width: it takes what the other shown columns
// leave, never less than its minimum. However deep the rows, it never takes room from
// the other columns: deep names give way instead. GUI thread only.

#include <QObject>
#include <QPoint>

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

    // Narrows the name column so that every shown column fits the table's width.
    void fitNameColumn();
    // Gives the name column the width the other shown columns leave (at least its
    // minimum): when the table's width changes and when a column is hidden.
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

    Preferences& preferences_;
    OutlineTableView& view_;
    bool resizing_ = false;
    bool saveScheduled_ = false;
    // A saved layout was restored and is fitted to the table's first width.
    bool fitRestoredLayout_ = false;
};

} // namespace plenwick
