#include "outline/OutlineCellContent.h"

#include "app/AppState.h"
#include "app/SizeShare.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "services/Formatters.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

namespace plenwick {

namespace {

double ratio(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

QString text(std::string_view bytes) { return QString::fromStdString(visibleText(bytes)); }

} // namespace

OutlineShare outlineShare(const FileNode& node, const OutlineFlatList* flat) {
    if (flat) {
        const std::optional<double> ofScope = flat->scope ? sizeShare(node, *flat->scope) : std::nullopt;
        if (!ofScope) return {0, 0, false};
        return {ratio(node.size(), flat->maxSize), *ofScope};
    }
    const FileNode* parent = node.parent();
    if (!parent) return {1, 1};
    const std::optional<double> share = sizeShare(node, *parent);
    if (!share) return {0, 0, false};
    return {*share, *share};
}

std::optional<QString> outlineDetailPath(const FileNode& node, const OutlineFlatList* flat,
                                         const VolumeNameMap& volumeNames) {
    if (!flat) return std::nullopt;
    const FileNode* scope = flat->scope.get();
    const FileNode* parent = node.parent();
    if (!parent || parent == scope) return scope ? QString::fromStdString(displayName(*scope, volumeNames)) : QString();
    QStringList names;
    for (const FileNode* n = parent; n && n != scope; n = n->parent())
        names.prepend(n->parent() ? text(n->name()) : QString::fromStdString(displayName(*n, volumeNames)));
    return names.join(QStringLiteral(" › "));
}

OutlineCollected outlineCollected(const FileNode& node, const AppState& state) {
    if (state.collector().empty()) return {};
    OutlineCollected out;
    out.collectorItem = state.isCollected(&node);
    out.collected = out.collectorItem || state.isCollectedOrInside(&node);
    return out;
}

QString outlineSizeText(const FileNode& node) {
    if (node.kind() == FileNode::Kind::inaccessible) return QStringLiteral("—");
    return QString::fromStdString(formatByteCount(node.size()));
}

QString outlineItemsText(const FileNode& node) {
    if (!node.isContainer()) return {};
    return QLocale().toString(static_cast<qlonglong>(node.fileCount()));
}

QString outlineModifiedText(const FileNode& node) {
    if (!(node.modified() > 0)) return {};
    return QString::fromStdString(formatMediumDate(node.modified()));
}

QString outlineNameToolTip(const FileNode& node, const OutlineCollected& collected) {
    QString tip = text(node.url());
    if (node.kind() == FileNode::Kind::inaccessible) tip += QStringLiteral("\nCouldn’t be read (permission denied)");
    if (collected.collectorItem) {
        tip += QStringLiteral("\nIn the Collector");
    } else if (collected.collected) {
        tip += QStringLiteral("\nInside a collected folder");
    }
    return tip;
}

RGB outlineCollectedBarColor(const RGB& color) {
    const double l = 0.299 * color.red + 0.587 * color.green + 0.114 * color.blue;
    auto fade = [l](double c) { return l + (c - l) * 0.2; };
    return {fade(color.red), fade(color.green), fade(color.blue)};
}

double outlineRowOpacity(const FileNode& node, const AppState& state) {
    if (!state.typeFilter() || node.kind() == FileNode::Kind::directory) return 1.0;
    return state.matchesTypeFilter(node) ? 1.0 : 0.4;
}

} // namespace plenwick
