#pragma once
// One collected node as a capsule in the collector bar's strip: its icon, its name
// (shortened in the middle past the strip's limit), a "+N" badge for leftovers kept
// outside the scan, its size with them when the strip has room, and a remove button.
// The capsule lights up while its node is the selection; the pointer over it only
// darkens its remove symbol.

#include "collector/CollectorFigure.h"
#include "collector/CollectorRules.h"
#include "scanner/FileNode.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>

class QPainter;
class QPalette;

namespace plenwick {

class AppState;

class ShellCollectorChip {
public:
    // `kept`: the bytes counted in the node that stay on disk under other names.
    ShellCollectorChip(const AppState& state, NodeRef node, ShellCollectorChipMetrics metrics, std::int64_t kept = 0);

    const NodeRef& node() const noexcept { return node_; }
    QSizeF size() const;
    // The remove button's square inside a chip drawn in `chip`.
    QRectF removeRect(const QRectF& chip) const;
    QString help() const;
    // The leftovers badge's rectangle inside a chip drawn in `chip` (empty without
    // leftovers), and its help: "Plus 1 leftover item outside this scan" …
    QRectF badgeRect(const QRectF& chip) const;
    QString badgeHelp() const { return badgeHelp_; }
    void paint(QPainter& painter, const QRectF& chip, const QPalette& palette, bool hovered) const;

    static constexpr qreal kIconSize = 20, kSpacing = 6, kPaddingX = 6, kPaddingY = 5, kRemoveSize = 14;

private:
    qreal nameWidth() const;
    qreal badgeWidth() const;
    qreal sizeWidth() const;

    NodeRef node_;
    ShellCollectorChipMetrics metrics_;
    QString name_;
    QString badge_;
    QString badgeHelp_;
    QString sizeText_;
    CollectorFigure size_;
    std::int64_t kept_ = 0;
    bool selected_ = false;
};

} // namespace plenwick
