#pragma once
// What the chart engines read of the application state: colours, the type filter,
// the collector and the versions that key their caches. The program passes its
// AppState through AppStateChartState; tests pass a plain fake. Keeping the engines
// behind this interface keeps them free of Qt.

#include "charts/ChartEnums.h"
#include "scanner/Color.h"
#include "scanner/FileNode.h"
#include "scanner/TypeFilter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class ChartState {
public:
    virtual ~ChartState() = default;

    virtual const NodeRef& root() const = 0;
    virtual const NodeRef& focus() const = 0;
    virtual std::int64_t treeVersion() const = 0;
    virtual ColorMode colorMode() const = 0;
    virtual const std::optional<TypeFilter>& typeFilter() const = 0;
    virtual std::int64_t collectorVersion() const = 0;
    // Changes whenever the colours of the extensions change (after a scan or rescan).
    virtual std::int64_t extensionColorsVersion() const = 0;
    // Used space of the scanned volume that no node accounts for; 0 when unknown.
    virtual std::int64_t unattributedBytes() const = 0;

    // The collected nodes in collector order, and the test of their identities.
    virtual const std::vector<NodeRef>& collector() const = 0;
    virtual bool isCollected(const FileNode* node) const = 0;

    // The folder whose children own the by-folder colours, or null.
    virtual const FileNode* folderColoringAnchor() const = 0;
    // A node's base colour for the current colour mode.
    virtual RGB color(const FileNode& node) const = 0;
    virtual bool matchesTypeFilter(const FileNode& node) const = 0;

    // True when the node or one of its ancestors is collected.
    virtual bool isCollectedOrInside(const FileNode* node) const = 0;

    // The name a node is shown by: a scanned volume's root by its volume's name.
    virtual std::string displayName(const FileNode& node) const = 0;
};

} // namespace plenwick
