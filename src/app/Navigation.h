#pragma once
// Where the user is in the tree: the folder at the centre of the charts (the focus),
// the stacks of the places before and after it (most recent last), the selected node
// and the one under the pointer. A stack entry counts only while it lies within the
// current root.

#include "app/StateChanges.h"
#include "scanner/FileNode.h"

#include <utility>
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
    const NodeRef& selection() const noexcept { return selection_; }
    const NodeRef& hovered() const noexcept { return hovered_; }

    void setSelection(NodeRef node) { changes_.assign(selection_, std::move(node), StateField::selection); }
    void setHovered(NodeRef node) { changes_.assign(hovered_, std::move(node), StateField::hovered); }

    // Makes `node` the focus without recording a step.
    void setFocus(NodeRef node);
    // A step to `target`: the focus (when there is one) goes onto the back stack and
    // the forward stack empties. Nothing happens when `target` is the focus.
    void moveTo(NodeRef target);
    // Where a step to `node` inside `root` leads: the node, or the folder holding it
    // when it is a file. None for a node outside the tree or a step to the focus.
    NodeRef stepTarget(const NodeRef& node, const FileNode* root) const;
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
    // stacks are pruned. The selection moves to its counterpart; the hovered node is
    // kept only while it is the same node, as what lies under the pointer is a new
    // question after the edit.
    void remap(const NodeMapping& mapping, const FileNode* root);

private:
    void step(std::vector<NodeRef>& source, StateField sourceField, std::vector<NodeRef>& other,
              StateField otherField, const FileNode* root);
    std::vector<NodeRef> pruned(const std::vector<NodeRef>& stack, const FileNode* root) const;

    StateChanges& changes_;
    NodeRef focus_;
    std::vector<NodeRef> back_;
    std::vector<NodeRef> forward_;
    NodeRef selection_;
    NodeRef hovered_;
};

} // namespace plenwick
