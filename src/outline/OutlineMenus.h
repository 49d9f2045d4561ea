#pragma once
// The entries of the outline's column header menu and what its keys do, decided apart
// from widgets: the header's menu and the keys the table takes before its own
// handling. A row's context menu is the node menu of nodemenu/NodeContextMenu.h.

#include "outline/OutlineColumns.h"

#include <QString>

#include <optional>
#include <vector>

namespace plenwick {

class FileNode;

struct OutlineHeaderMenuEntry {
    OutlineColumn column;
    QString title;
    bool checked;  // the column is shown
};

// One entry per column but the name column, in `visualOrder` (logical indices as the
// header shows them), ticked when not in `hidden`.
std::vector<OutlineHeaderMenuEntry> outlineHeaderMenu(const std::vector<int>& visualOrder,
                                                      const std::vector<bool>& hidden);

// What a key does to the selected row.
enum class OutlineKeyAction { none, zoomIn, toggleQuickLook };
// `key` and `modifiers` as Qt gives them. Control, Alt and Meta leave every key to the
// table; Shift does not.
OutlineKeyAction outlineKeyAction(int key, Qt::KeyboardModifiers modifiers, const FileNode* selected);

} // namespace plenwick
