#include "chartviews/TreemapStatusInfo.h"

#include "app/SizeShare.h"
#include "base/Utf8.h"
#include "charts/TreemapLayoutEngine.h"
#include "scanner/FileCategory.h"
#include "services/Formatters.h"

#include <QStringList>

#include <algorithm>

namespace plenwick {

namespace {

const QString inCollector = QStringLiteral("In Collector · ");

QString text(std::string_view bytes) { return QString::fromStdString(visibleText(bytes)); }

RGB toRGB(const TreemapCellColor& c) { return {c.r, c.g, c.b}; }

RGB greyed(const RGB& c) {
    const double l = 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
    return {0.8 * l + 0.2 * c.red, 0.8 * l + 0.2 * c.green, 0.8 * l + 0.2 * c.blue};
}

// The node's whole path: the names from the top (whose name is the scan's full path)
// down to it, joined with "/". The line names every item the same way, whether it
// lies below the focus or is the focus itself.
QString fullPath(const FileNode* node) {
    QStringList names;
    for (const FileNode* n = node; n; n = n->parent()) names.push_front(text(n->name()));
    QString path;
    for (const QString& name : names) {
        if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
        path += name;
    }
    return path;
}

std::string_view symbolFor(const FileNode& node) {
    switch (node.kind()) {
    case FileNode::Kind::file:
    case FileNode::Kind::package: return fileCategorySymbolName(node.category());
    case FileNode::Kind::directory: return "folder";
    case FileNode::Kind::symlink: return "arrow.turn.up.right";
    case FileNode::Kind::inaccessible: return "lock";
    }
    return "folder";
}

} // namespace

QString treemapKindText(const FileNode& node) {
    switch (node.kind()) {
    case FileNode::Kind::file: {
        QString kind = text(fileCategoryTitle(node.category()));
        const std::string extension = node.fileExtension();
        if (!extension.empty()) kind += QStringLiteral(" · .") + text(extension);
        return kind;
    }
    case FileNode::Kind::directory:
        return QStringLiteral("Folder · ") + QString::fromStdString(countText(node.fileCount(), "file", "files"));
    case FileNode::Kind::package: {
        const FileCategory category = node.category();
        if (category == FileCategory::folder) return QStringLiteral("Package");
        QString title = text(fileCategoryTitle(category));
        if (title.endsWith(QLatin1Char('s'))) title.chop(1);
        return title;
    }
    case FileNode::Kind::symlink: return QStringLiteral("Alias");
    case FileNode::Kind::inaccessible: return QStringLiteral("Not readable");
    }
    return {};
}

RGB treemapSwatchColor(const ChartState& state, const FileNode& node, const TreemapLayout* layout,
                       std::optional<std::int32_t> hoverCell) {
    if (layout && hoverCell && *hoverCell >= 0 && static_cast<std::size_t>(*hoverCell) < layout->cells.size()) {
        const auto h = static_cast<std::size_t>(*hoverCell);
        // The leaf under the pointer: the swatch matches the cell on screen.
        if (layout->nodes[h].get() == &node && layout->cells[h].childCount == 0) return toRGB(layout->cells[h].color);
    }
    RGB c = state.color(node);
    if (!state.matchesTypeFilter(node) && !node.isContainer()) c = TreemapLayoutEngine::dimmedColor(c);
    if (state.isCollectedOrInside(&node)) return greyed(c);
    return c;
}

std::optional<TreemapStatusInfo> treemapStatusInfo(const ChartState& state, const FileNode* hovered,
                                                   const FileNode* selection, const TreemapLayout* layout,
                                                   std::optional<std::int32_t> hoverCell) {
    const FileNode* focus = state.focus().get();
    if (!focus) return std::nullopt;
    const double focusSize = static_cast<double>(std::max<std::int64_t>(focus->size(), 1));

    // A rest cell under the pointer stands for many small items of its folder.
    if (layout && hoverCell && *hoverCell >= 0 && static_cast<std::size_t>(*hoverCell) < layout->cells.size() &&
        layout->cells[static_cast<std::size_t>(*hoverCell)].restCount > 0) {
        const auto h = static_cast<std::size_t>(*hoverCell);
        const TreemapCell& cell = layout->cells[h];
        const FileNode* folder = layout->nodes[h].get();
        const QString path = folder == focus ? QString() : fullPath(folder);
        auto area = [](const TreemapRect& r) { return (r.x1 - r.x0) * (r.y1 - r.y0); };
        const double share = area(cell.rect) / std::max(1.0, area(layout->cells[0].rect));
        TreemapStatusInfo info;
        info.title = path.isEmpty() ? QStringLiteral("Smaller items") : path + QStringLiteral("/…");
        info.kind = QString::fromStdString(countText(cell.restCount, "smaller item", "smaller items"));
        info.size = static_cast<std::int64_t>(share * static_cast<double>(focus->size()));
        info.fraction = share * static_cast<double>(focus->size()) / focusSize;
        info.color = toRGB(cell.color);
        if (cell.collected) {
            info.kind = inCollector + info.kind;
            info.symbol = "tray.full.fill";
        } else {
            info.symbol = "square.grid.3x3.fill";
        }
        return info;
    }

    const FileNode* subject = nullptr;
    for (const FileNode* candidate : {hovered, selection}) {
        if (candidate && isWithin(candidate, focus)) {
            subject = candidate;
            break;
        }
    }
    TreemapStatusInfo info;
    if (!subject) {
        info.title = text(state.displayName(*focus));
        info.kind = QString::fromStdString(countText(focus->fileCount(), "file", "files"));
        info.symbol = "folder";
        info.size = focus->size();
        info.fraction = 1.0;
        info.sizeKnown = isSizeKnown(*focus);
        info.color = defaultNodeColor;
        return info;
    }
    const bool collected = state.isCollectedOrInside(subject);
    info.title = fullPath(subject);
    info.kind = collected ? inCollector + treemapKindText(*subject) : treemapKindText(*subject);
    info.symbol = collected ? std::string_view("tray.full.fill") : symbolFor(*subject);
    info.size = subject->size();
    info.fraction = static_cast<double>(subject->size()) / focusSize;
    info.sizeKnown = isSizeKnown(*subject);
    info.color = treemapSwatchColor(state, *subject, layout, hoverCell);
    return info;
}

} // namespace plenwick
