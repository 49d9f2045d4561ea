#pragma once
// What the centre disc says: the focus, or the arc or node under the pointer, with
// its size and a line of detail (its share of the focus, its file count, whether it
// is in the collector).

#include "charts/ChartState.h"
#include "charts/SunburstScene.h"
#include "shell/Symbols.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace plenwick {

struct SunburstCentreInfo {
    QString title;
    std::int64_t size = 0;
    QString detail;
    std::optional<Symbol> symbol; // shown above the title
    bool isFocus = false;         // describes the focus itself
    bool sizeKnown = true;        // false for an unreadable item: its size reads "—"

    // What the disc shows for the scene, what the pointer is over in it and the
    // node hovered anywhere in the window.
    static SunburstCentreInfo make(const SunburstScene& scene, const SunburstHit& pointer, const FileNode* hovered,
                                   const ChartState& state);

    friend bool operator==(const SunburstCentreInfo&, const SunburstCentreInfo&) = default;
};

} // namespace plenwick
