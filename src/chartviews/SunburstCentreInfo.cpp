#include "chartviews/SunburstCentreInfo.h"

#include "app/SizeShare.h"
#include "services/Formatters.h"

#include <algorithm>

namespace plenwick {

namespace {

QString percent(double fraction) { return QString::fromStdString(formatPercent(fraction)); }

QString name(const FileNode& node) { return QString::fromStdString(node.displayName()); }

} // namespace

SunburstCentreInfo SunburstCentreInfo::make(const SunburstScene& scene, const SunburstHit& pointer,
                                            const FileNode* hovered, const ChartState& state) {
    const SunburstLayout& layout = *scene.layout;
    const FileNode& focus = *layout.focus;
    const double total = static_cast<double>(std::max<std::int64_t>(focus.size(), 1));
    auto share = [&](std::int64_t bytes) {
        return percent(static_cast<double>(bytes) / total) + QStringLiteral(" of ") + name(focus);
    };
    auto describeNode = [&](const FileNode& node) {
        SunburstCentreInfo info{name(node), node.size(), share(node.size()), std::nullopt, false, isSizeKnown(node)};
        if (scene.isCollected(&node, state)) {
            info.detail = QStringLiteral("In Collector · ") + info.detail;
            info.symbol = Symbol::trayFullFill;
        } else if (node.isContainer()) {
            info.symbol = Symbol::folderFill;
        }
        return info;
    };

    if (pointer.kind == SunburstHit::Kind::arc) {
        const SunburstArc& arc = layout.arc(pointer.ref);
        if (arc.node) return describeNode(*arc.node);
        if (arc.isHiddenSpace) {
            const double used = static_cast<double>(std::max<std::int64_t>(focus.size() + arc.size, 1));
            return {QStringLiteral("Hidden space"), arc.size,
                    percent(static_cast<double>(arc.size) / used) + QStringLiteral(" of used space"),
                    Symbol::eyeSlash, false};
        }
        return {QString::fromStdString(countText(arc.aggregateCount, "smaller item", "smaller items")), arc.size, share(arc.size),
                Symbol::ellipsis, false};
    }
    if (hovered && layout.arcRef(hovered)) return describeNode(*hovered);

    QString files = QString::fromStdString(countText(focus.fileCount(), "file", "files"));
    if (scene.focusCollected) files = QStringLiteral("In Collector · ") + files;
    return {name(focus), focus.size(), files, std::nullopt, true, isSizeKnown(focus)};
}

} // namespace plenwick
