#pragma once
// What keys, double clicks and drags do on the outline table's rows: Return zooms
// into the selected folder, Space toggles its preview, a double click zooms into a
// folder or brings a file into focus, and a drag carries the selected row out as a
// file. GUI thread only.

class QKeyEvent;
class QModelIndex;

namespace plenwick {

class AppState;
class OutlineItemModel;
class OutlineTableView;

class OutlineTableInput {
public:
    OutlineTableInput(AppState& state, OutlineTableView& view, OutlineItemModel& model);

    // True when the key was handled here, and the table's own handling is skipped.
    bool keyPressed(const QKeyEvent& event);
    void doubleClicked(const QModelIndex& index);
    void dragStarted();

private:
    AppState& state_;
    OutlineTableView& view_;
    OutlineItemModel& model_;
};

} // namespace plenwick
