#include "collector/CollectorTexts.h"

#include "base/HomeDirectory.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "scanner/FileNode.h"
#include "services/Formatters.h"

namespace plenwick {

namespace {

QString text(const std::string& bytes) { return QString::fromStdString(visibleText(bytes)); }

std::string leftoverItems(std::size_t count) {
    return decimalCountText(static_cast<std::int64_t>(count), "leftover item", "leftover items");
}

std::string withoutTrailingSlash(std::string path) {
    if (path.size() >= 2 && path.back() == '/') path.pop_back();
    return path;
}

} // namespace

QString collectorBytes(std::int64_t bytes) { return QString::fromStdString(formatByteCount(bytes)); }

QString collectorItemCountText(std::int64_t count) { return QString::fromStdString(countText(count, "item", "items")); }

QString collectorFreedMessage(std::int64_t bytes) { return QStringLiteral("Freed ") + collectorBytes(bytes); }

QString collectorSummaryHelp(std::int64_t count, std::int64_t total) {
    return collectorItemCountText(count) + QStringLiteral(", ") + collectorBytes(total) +
           QStringLiteral(" to free. Click to show them.");
}

QString collectorItemsListTitle(std::int64_t count) {
    return QString::fromStdString(countText(count, "Collected Item", "Collected Items"));
}

QString collectorLeftoverBadge(std::size_t count) { return QStringLiteral("+") + QString::number(count); }

QString collectorLeftoverBadgeHelp(std::size_t count) {
    return QString::fromStdString("Plus " + leftoverItems(count) + " outside this scan");
}

QString collectorNodePath(const FileNode& node) { return text(withoutTrailingSlash(node.url())); }

QString collectorChipHelp(const FileNode& node, std::int64_t sizeWithLeftovers) {
    return collectorNodePath(node) + QStringLiteral(" — ") + collectorBytes(sizeWithLeftovers);
}

QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, const std::string& home) {
    const FileNode& folder = node.parent() ? *node.parent() : node;
    QString subtitle = text(abbreviatedPath(withoutTrailingSlash(folder.url()), home));
    if (leftovers > 0) subtitle += QString::fromStdString(" · plus " + leftoverItems(leftovers));
    return subtitle;
}

QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers) {
    return collectorRowSubtitle(node, leftovers, homeDirectory());
}

QString collectorConfirmTitle(std::int64_t count) {
    return QString::fromStdString("Move " + decimalCountText(count, "item", "items") + " to the Trash?");
}

QString collectorConfirmSubtitle(std::int64_t total) {
    return QStringLiteral("This frees about ") + collectorBytes(total) +
           QStringLiteral(". You can restore items from the Trash until you empty it.");
}

QString collectorRemoveAccessibleName(const FileNode& node, const VolumeNameMap& names) {
    return QStringLiteral("Remove ") + QString::fromStdString(displayName(node, names)) +
           QStringLiteral(" from Collector");
}

} // namespace plenwick
