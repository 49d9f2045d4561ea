#include "chartviews/SunburstTexts.h"

#include "platform/ByteCountFormatter.h"
#include "services/Formatters.h"

#include <QStringList>

#include <algorithm>

namespace plenwick {

namespace {

QString bytes(std::int64_t n) { return QString::fromStdString(formatByteCount(n)); }

} // namespace

QString sunburstHiddenSpaceToolTip() {
    return QStringLiteral(
        "Used space the scan couldn't see: purgeable files, snapshots, system files and unreadable folders.");
}

QString sunburstZoomOutActionName() { return QStringLiteral("Zoom Out"); }

QString sunburstAccessibilityLabel(const SunburstLayout& layout) {
    const FileNode& focus = *layout.focus;
    QString text = QStringLiteral("Sunburst chart of ") + QString::fromStdString(focus.displayName()) +
                   QStringLiteral(", ") + bytes(focus.size()) + QStringLiteral(".");
    QStringList largest;
    if (!layout.rings.empty()) {
        const double total = static_cast<double>(std::max<std::int64_t>(focus.size(), 1));
        for (const SunburstArc& arc : layout.rings[0]) {
            if (!arc.node) continue;
            largest << QString::fromStdString(arc.node->displayName()) + QStringLiteral(", ") + bytes(arc.node->size()) +
                           QStringLiteral(", ") +
                           QString::fromStdString(formatPercent(static_cast<double>(arc.node->size()) / total));
            if (largest.size() == 5) break;
        }
    }
    if (!largest.isEmpty()) text += QStringLiteral(" Largest items: ") + largest.join(QStringLiteral("; ")) + QStringLiteral(".");
    if (layout.hiddenBytes > 0) text += QStringLiteral(" Hidden space: ") + bytes(layout.hiddenBytes) + QStringLiteral(".");
    return text;
}

} // namespace plenwick
