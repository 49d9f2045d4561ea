#pragma once
// The selection, the focus and the hover between the state and the outline's table.
// The state's selection becomes the selected row, its focus a revealed (expanded,
// scrolled-to) folder, its hover the highlighted row; a row the user selects or
// points at goes the other way. In the tree the state's changes are shown once the
// event loop turns, so that a burst of them reveals only the last. GUI thread only.

#include "scanner/FileNode.h"

#include <QObject>

#include <vector>

class QModelIndex;

namespace plenwick {

class AppState;
class OutlineItemModel;
class OutlineTableListing;
class OutlineTableView;

// The folders from `root` down to `node`'s parent, outermost first: the rows that
// must be expanded for `node`'s row to show. None for `root` itself.
std::vector<const FileNode*> listedAncestors(const FileNode* node, const FileNode* root);

class OutlineSelectionSync final : public QObject {
    Q_OBJECT

public:
    OutlineSelectionSync(AppState& state, OutlineTableView& view, OutlineItemModel& model, OutlineTableListing& listing);

    // After the listing's update: shows what of the selection and focus changed (the
    // state's bits) or was lost with rows listed afresh. True when the shown focus
    // changed, and the rows are to be repainted.
    bool update(bool switched, bool newTree, bool selectionChanged, bool focusChanged);
    // Forgets what was shown: nothing is listed.
    void clear();
    // Selects the state's selection's row again, after the rows were reloaded.
    void showSelectionAfterReload();
    // Brings the hover highlight up to date with the state.
    void showHover();
    // The row that shows the hover of `node`: in the tree the node's row, or the row of
    // the collapsed folder that hides it; in a flat list the node's row or that of its
    // nearest listed folder; none when no row holds it.
    const FileNode* hoverRowItem(const FileNode* node);
    // Centres the row of a selection made before the table was on screen.
    void centrePending();
    // Whether a deferred selection sync is waiting to run.
    bool isSyncScheduled() const noexcept { return isSyncScheduled_; }

    // From the table: its selection changed, the mouse is over the row of `node`.
    void tableSelectionChanged();
    void rowHovered(FileNode* node);

private:
    void deferredSync();
    // Shows the state's selection and reveals its focus; true when the focus changed.
    bool sync();
    void selectAndCenter(const NodeRef& node, bool scroll);
    void revealNode(const FileNode* node, bool expandItself, bool centre);
    void centreIfHidden(const QModelIndex& index);

    AppState& state_;
    OutlineTableView& view_;
    OutlineItemModel& model_;
    OutlineTableListing& listing_;
    // What of the state's selection and focus the table has yet to show: marked by the
    // state's change bits and whenever the rows are listed afresh, cleared once shown.
    struct Unshown {
        bool selection = true;
        bool focus = true;
    } unshown_;
    // What the table itself told the state. Its own reports come back as the state's
    // changes, and the bits can't tell them from anyone else's.
    struct Told {
        // Set while the table's own selection goes to the state: that change is shown.
        bool selecting = false;
        // The node last reported under the mouse. The state's hover may change since
        // (a zoom clears it); the mouse moving within that row does not bring it back.
        NodeRef hover;
    } told_;
    bool isSyncing_ = false;
    bool isSyncScheduled_ = false;
    // The row to centre once the table is on screen.
    NodeRef pendingCentre_;
};

} // namespace plenwick
