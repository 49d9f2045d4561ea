#pragma once
// The application state as the chart engines read it. GUI thread only.

#include "charts/ChartState.h"

namespace plenwick {

class AppState;

class AppStateChartState final : public ChartState {
public:
    explicit AppStateChartState(AppState& state);
    AppStateChartState(const AppStateChartState&) = delete;
    AppStateChartState& operator=(const AppStateChartState&) = delete;

    const NodeRef& root() const override;
    const NodeRef& focus() const override;
    std::int64_t treeVersion() const override;
    ColorMode colorMode() const override;
    const std::optional<TypeFilter>& typeFilter() const override;
    std::int64_t collectorVersion() const override;
    std::int64_t extensionColorsVersion() const override;
    std::int64_t unattributedBytes() const override;
    const std::vector<NodeRef>& collector() const override;
    bool isCollected(const FileNode* node) const override;
    bool isCollectedOrInside(const FileNode* node) const override;
    const FileNode* folderColoringAnchor() const override;
    RGB color(const FileNode& node) const override;
    bool matchesTypeFilter(const FileNode& node) const override;

private:
    AppState& state_;
};

} // namespace plenwick
