#include "outline/OutlineColumns.h"

#include <algorithm>

namespace plenwick {

const std::array<OutlineColumnInfo, kOutlineColumnCount>& outlineColumns() {
    static const std::array<OutlineColumnInfo, kOutlineColumnCount> columns{{
        {OutlineColumn::name, "name", QStringLiteral("Name"), 150, 90, "name", true, false, {}, false, {}},
        {OutlineColumn::size, "size", QStringLiteral("Size"), 68, 50, "size", false, true, {}, false,
         QStringLiteral("Size")},
        {OutlineColumn::share, "share", QStringLiteral("%"), 64, 50, "share", false, false,
         QStringLiteral("Share of the enclosing folder (of the listed folder in flat lists)"), false,
         QStringLiteral("% of Folder")},
        {OutlineColumn::items, "items", QStringLiteral("Items"), 64, 36, "items", false, true,
         QStringLiteral("Number of files inside"), true, QStringLiteral("Items")},
        {OutlineColumn::modified, "modified", QStringLiteral("Modified"), 86, 60, "modified", false, true, {}, true,
         QStringLiteral("Modified")},
    }};
    return columns;
}

const OutlineColumnInfo& outlineColumn(OutlineColumn column) { return outlineColumns()[logicalIndex(column)]; }

std::optional<OutlineColumn> outlineColumnAt(int logicalIndex) noexcept {
    if (logicalIndex < 0 || logicalIndex >= kOutlineColumnCount) return std::nullopt;
    return static_cast<OutlineColumn>(logicalIndex);
}

std::optional<OutlineColumn> outlineColumnWithID(std::string_view id) noexcept {
    for (const OutlineColumnInfo& info : outlineColumns())
        if (info.id == id) return info.column;
    return std::nullopt;
}

int outlineNameRoom(int columnWidth, int indentation) noexcept {
    return std::clamp(columnWidth - 5 * indentation, kOutlineNameRoomLeast, kOutlineNameRoomMost);
}

OutlineColumn columnOfSort(const OutlineSort& sort) noexcept {
    switch (sort.key) {
    case OutlineSortKey::size: return OutlineColumn::size;
    case OutlineSortKey::name: return OutlineColumn::name;
    case OutlineSortKey::items: return OutlineColumn::items;
    case OutlineSortKey::modified: return OutlineColumn::modified;
    }
    return OutlineColumn::size;
}

} // namespace plenwick
