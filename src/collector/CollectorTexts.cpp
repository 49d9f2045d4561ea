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

QString collectorFigureText(const CollectorFigure& figure) {
    if (figure.isWhollyKnown()) return collectorBytes(figure.knownBytes);
    if (figure.knownBytes > 0) return QStringLiteral("at least ") + collectorBytes(figure.knownBytes);
    return QStringLiteral("—");
}

QString collectorItemCountText(std::int64_t count) { return QString::fromStdString(countText(count, "item", "items")); }

QString collectorFreedMessage(std::int64_t bytes) { return QStringLiteral("Freed ") + collectorBytes(bytes); }

QString collectorMovedMessage(std::int64_t bytes) {
    return QStringLiteral("Moved ") + collectorBytes(bytes) + QStringLiteral(" to the Trash");
}

QString collectorSummaryHelp(std::int64_t count, const CollectorFigure& total) {
    const QString amount = total.isWhollyKnown() || total.knownBytes > 0 ? collectorFigureText(total)
                                                                          : QStringLiteral("an unknown amount");
    return collectorItemCountText(count) + QStringLiteral(", ") + amount +
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

QString collectorKeptNote(const FileNode& node, std::int64_t kept) {
    if (kept <= 0) return {};
    if (!node.isContainer() && kept >= node.size()) return QStringLiteral("its bytes stay on disk under another name");
    return collectorBytes(kept) + QStringLiteral(" of it stay on disk under other names");
}

QString collectorChipHelp(const FileNode& node, const CollectorFigure& size, std::int64_t kept) {
    QString help = collectorNodePath(node) + QStringLiteral(" — ") + collectorFigureText(size);
    if (kept > 0) help += QStringLiteral(" (") + collectorKeptNote(node, kept) + QStringLiteral(")");
    return help;
}

QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, std::int64_t kept, const std::string& home) {
    const FileNode& folder = node.parent() ? *node.parent() : node;
    QString subtitle = text(abbreviatedPath(withoutTrailingSlash(folder.url()), home));
    if (leftovers > 0) subtitle += QString::fromStdString(" · plus " + leftoverItems(leftovers));
    if (kept > 0) subtitle += QStringLiteral(" · ") + collectorKeptNote(node, kept);
    return subtitle;
}

QString collectorRowSubtitle(const FileNode& node, std::size_t leftovers, std::int64_t kept) {
    return collectorRowSubtitle(node, leftovers, kept, homeDirectory());
}

QString collectorConfirmTitle(std::int64_t count) {
    return QString::fromStdString("Move " + decimalCountText(count, "item", "items") + " to the Trash?");
}

QString collectorConfirmSubtitle(const CollectorFigure& total) {
    const QString restore = QStringLiteral(" You can restore items from the Trash until you empty it.");
    if (total.isWhollyKnown())
        return QStringLiteral("This frees about ") + collectorBytes(total.knownBytes) + QStringLiteral(".") + restore;
    // The scan never saw inside an unreadable folder: what it frees is not known.
    if (total.knownBytes > 0)
        return QStringLiteral("This frees at least ") + collectorBytes(total.knownBytes) +
               QStringLiteral(", and more in what Plenwick couldn’t read.") + restore;
    return QStringLiteral("Plenwick couldn’t read inside ") +
           (total.unknownItems == 1 ? QStringLiteral("it") : QStringLiteral("them")) +
           QStringLiteral(", so what this frees is unknown.") + restore;
}

QString collectorRemoveAccessibleName(const FileNode& node, const VolumeNameMap& names) {
    return QStringLiteral("Remove ") + QString::fromStdString(displayName(node, names)) +
           QStringLiteral(" from Collector");
}

} // namespace plenwick
