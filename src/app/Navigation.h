#pragma once
// Where the user is in the tree: the folder at the centre of the charts (the focus)
// and the stacks of the places before and after it, most recent last. A stack entry
// counts only while it lies within the current root.

#include "app/StateChanges.h"
#include "scanner/FileNode.h"

#include <vector>

namespace plenwick {

class NodeMapping;

class Navigation {
public:
    explicit Navigation(StateChanges& changes) noexcept : changes_(changes) {}
    Navigation(const Navigation&) = delete;
    Navigation& operator=(const Navigation&) = delete;

    const NodeRef& focus() const noexcept { return focus_; }
    const std::vector<NodeRef>& navigationHistory() const noexcept { return back_; }
    const std::vector<NodeRef>& forwardHistory() const noexcept { return forward_; }

    // Makes `node` the focus without recording a step.
    void setFocus(NodeRef node);
    // A step to `target`: the focus (when there is one) goes onto the back stack and
    // the forward stack empties. Nothing happens when `target` is the focus.
    void moveTo(NodeRef target);
    // Steps to the newest entry of the back (forward) stack that is not the focus and
    // lies within `root`, dropping the entries passed over; the focus goes onto the
    // other stack. Nothing happens once the stack is empty.
    void goBack(const FileNode* root);
    void goForward(const FileNode* root);
    // Drops entries outside `root` and repeated neighbours; neither stack ends with
    // the focus. A stack that needs no change is not assigned.
    void pruneHistory(const FileNode* root);
    // After an edit of the tree: the focus moves to its nearest counterpart, every
    // entry to its counterpart (an entry that is gone or became a file goes), and the
    // stacks are pruned.
    void remap(const NodeMapping& mapping, const FileNode* root);

private:
    void step(std::vector<NodeRef>& source, StateField sourceField, std::vector<NodeRef>& other,
              StateField otherField, const FileNode* root);
    std::vector<NodeRef> pruned(const std::vector<NodeRef>& stack, const FileNode* root) const;

    StateChanges& changes_;
    NodeRef focus_;
    std::vector<NodeRef> back_;
    std::vector<NodeRef> forward_;
};

} // namespace plenwick
