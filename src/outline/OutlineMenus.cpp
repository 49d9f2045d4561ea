#include "outline/OutlineMenus.h"

#include "scanner/FileNode.h"

namespace plenwick {

std::vector<OutlineHeaderMenuEntry> outlineHeaderMenu(const std::vector<int>& visualOrder,
                                                      const std::vector<bool>& hidden) {
    std::vector<OutlineHeaderMenuEntry> entries;
    for (int logical : visualOrder) {
        const std::optional<OutlineColumn> column = outlineColumnAt(logical);
        if (!column || *column == OutlineColumn::name) continue;
        const bool isHidden = logical < static_cast<int>(hidden.size()) && hidden[static_cast<std::size_t>(logical)];
        entries.push_back({*column, outlineColumn(*column).menuTitle, !isHidden});
    }
    return entries;
}

OutlineKeyAction outlineKeyAction(int key, Qt::KeyboardModifiers modifiers, const FileNode* selected) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return OutlineKeyAction::none;
    if (!selected) return OutlineKeyAction::none;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return selected->isContainer() ? OutlineKeyAction::zoomIn : OutlineKeyAction::none;
    case Qt::Key_Space: return OutlineKeyAction::toggleQuickLook;
    default: return OutlineKeyAction::none;
    }
}

} // namespace plenwick
