#pragma once
// The outline table's five columns, told apart by their identifiers, never by
// position: the user may reorder them. The logical index of each column is fixed
// (its place in `OutlineColumn`).

#include "outline/OutlineSort.h"

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace plenwick {

enum class OutlineColumn { name = 0, size = 1, share = 2, items = 3, modified = 4 };
inline constexpr int kOutlineColumnCount = 5;

struct OutlineColumnInfo {
    OutlineColumn column;
    std::string_view id;       // "name", "size", "share", "items", "modified"
    QString title;
    int width;                 // at first
    int minimumWidth;
    std::string_view sortKey;  // what a click on the header sorts by
    bool firstAscending;       // the direction of a first click
    bool alignRight;           // the header's title and the cells' text
    QString toolTip;           // the header's; may be empty
    bool hiddenAtStart;
    QString menuTitle;         // in the header menu; empty: not listed (cannot be hidden)
};

const std::array<OutlineColumnInfo, kOutlineColumnCount>& outlineColumns();
const OutlineColumnInfo& outlineColumn(OutlineColumn column);
inline int logicalIndex(OutlineColumn column) noexcept { return static_cast<int>(column); }
std::optional<OutlineColumn> outlineColumnAt(int logicalIndex) noexcept;
std::optional<OutlineColumn> outlineColumnWithID(std::string_view id) noexcept;
// The column whose header shows the indicator of `sort`.
OutlineColumn columnOfSort(const OutlineSort& sort) noexcept;

// The narrowest name cell of a row in a name column `columnWidth` wide, indented by
// `indentation` a level: its icon and room for a short name (about ten characters),
// or where the column is too narrow for that beside five levels of indentation, as
// much of it as is left, never less than the icon and the start of a name. A row
// indented so deep that less is left of its name column shows them at the column's
// end, so that however deep the chain each name can be told from the next.
int outlineNameRoom(int columnWidth, int indentation) noexcept;
inline constexpr int kOutlineNameRoomLeast = 2 + 16 + 6 + 40, kOutlineNameRoomMost = 2 + 16 + 6 + 64;

// The autosave name under which the columns' layout is kept.
inline const QString kOutlineColumnsAutosaveName = QStringLiteral("Plenwick.FileOutline.v2");

} // namespace plenwick
