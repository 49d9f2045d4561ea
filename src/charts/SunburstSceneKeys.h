#pragma once
// What a sunburst scene depends on: the geometry key decides when the layout is
// rebuilt, the style key when the arc styles are made anew.

#include "charts/ChartState.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace plenwick {

struct SunburstGeometryKey {
    const FileNode* focus = nullptr; // identity only
    std::int64_t treeVersion = 0;
    std::int64_t hiddenBytes = 0;    // nonzero only when the focus is the root

    SunburstGeometryKey() = default;
    SunburstGeometryKey(const ChartState& state, const FileNode* focusNode)
        : focus(focusNode), treeVersion(state.treeVersion()),
          hiddenBytes(state.root() && state.root().get() == focusNode
                          ? std::max<std::int64_t>(state.unattributedBytes(), 0)
                          : 0) {}
    friend bool operator==(const SunburstGeometryKey&, const SunburstGeometryKey&) = default;
};

struct SunburstStyleKey {
    ColorMode colorMode = ColorMode::byFolder;
    std::optional<TypeFilter> typeFilter;
    std::int64_t collectorVersion = 0;
    // By-extension colours are assigned per scan, so they follow a rescan too.
    std::int64_t extensionColorsVersion = 0;

    SunburstStyleKey() = default;
    explicit SunburstStyleKey(const ChartState& state)
        : colorMode(state.colorMode()), typeFilter(state.typeFilter()), collectorVersion(state.collectorVersion()),
          extensionColorsVersion(state.extensionColorsVersion()) {}
    friend bool operator==(const SunburstStyleKey&, const SunburstStyleKey&) = default;
};

} // namespace plenwick
