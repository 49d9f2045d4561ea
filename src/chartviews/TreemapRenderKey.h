#pragma once
// What one treemap picture is made from: the state it shows, the chart's size and
// the display scale. The key is the picture's cache key: an unchanged key costs no
// work, and a picture made for another key is never shown as this one's.

#include "charts/ChartState.h"
#include "charts/TreemapLayout.h"

#include <cstdint>
#include <optional>

namespace plenwick {

struct TreemapRenderKey {
    const FileNode* focus = nullptr; // identity only, never dereferenced
    std::int64_t treeVersion = 0;
    ColorMode colorMode = ColorMode::byFolder;
    std::optional<TypeFilter> typeFilter;
    std::int64_t collectorVersion = 0;
    // By-extension colours change with a rescan of a folder that keeps the focus.
    std::int64_t extensionColorsVersion = 0;
    TreemapSize size;  // points
    double scale = 1;  // device pixels per point

    // The key of the state as it is now, for a chart of `size` at `scale`.
    static TreemapRenderKey of(const ChartState& state, TreemapSize size, double scale);

    // Equal but for the size and the scale: the same picture at another resolution.
    bool sameContent(const TreemapRenderKey& other) const noexcept {
        return focus == other.focus && treeVersion == other.treeVersion && colorMode == other.colorMode &&
               typeFilter == other.typeFilter && collectorVersion == other.collectorVersion &&
               extensionColorsVersion == other.extensionColorsVersion;
    }
    friend bool operator==(const TreemapRenderKey&, const TreemapRenderKey&) = default;
};

inline TreemapRenderKey TreemapRenderKey::of(const ChartState& state, TreemapSize size, double scale) {
    return {state.focus().get(), state.treeVersion(),      state.colorMode(), state.typeFilter(),
            state.collectorVersion(), state.extensionColorsVersion(), size,     scale};
}

} // namespace plenwick
