#pragma once
// The entries of the outline's two menus and what its keys do, decided apart from
// widgets: the row's context menu, the column header's menu, and the keys the table
// takes before its own handling.

#include "outline/OutlineColumns.h"

#include <QString>

#include <optional>
#include <vector>

namespace plenwick {

class AppState;
class FileNode;

enum class OutlineRowAction { reveal, open, quickLook, copyPath, zoomIn, rescanFolder, removeFromCollector, addToCollector, moveToTrash };

struct OutlineMenuEntry {
    OutlineRowAction action;
    QString title;
    bool separatorBefore = false;
    bool enabled = true;
};

// The context menu of a row's node, in order, as the state's collector and rescans
// stand now.
std::vector<OutlineMenuEntry> outlineContextMenu(const FileNode& node, const AppState& state);

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
