#pragma once
// Cushion shading of a treemap layout: every cell adds a parabolic ridge across its
// rectangle, so leaves look like lit pillows and the nesting shows as creases.
// Only leaves are shaded, in parallel, into our own RGBA bitmap. Collected cells
// fade towards the background and carry diagonal stripes.

#include "charts/TreemapBitmap.h"
#include "charts/TreemapLayout.h"

#include <array>
#include <atomic>
#include <optional>
#include <span>
#include <vector>

namespace plenwick {

// Set by the owner of a rendering to make its workers stop; they only read it.
struct TreemapCancelFlag {
    std::atomic<bool> flag{false};
    bool isSet() const noexcept { return flag.load(std::memory_order_relaxed); }
    void set() noexcept { flag.store(true, std::memory_order_relaxed); }
};

class TreemapCushionRenderer {
public:
    using Vector3 = std::array<double, 3>;

    struct Parameters {
        double height = 0.4;               // ridge height of the root cell
        double decay = 0.9;                // ridge height factor per level of depth
        double ambient = 0.15;             // light every pixel receives
        Vector3 light{-1, -1, 10};         // towards the light: x right, y down, z to the viewer
        double gain = 1.4666666666666668;  // applied to the cell colour before shading
        Vector3 background{0.12, 0.12, 0.13};
        double collectedFade = 0.4;        // share of the background in a collected cell
        double hatchSpacing = 6.0;         // points between stripes on collected cells
        double hatchWidth = 1.6;           // stripe width in points
        double hatchInk = 0.32;            // how much a stripe darkens (0 none, 1 black)
    };

    // Surface z = ax·x² + bx·x + ay·y² + by·y in bitmap pixels.
    struct Coefficients {
        double ax = 0, ay = 0, bx = 0, by = 0;
    };

    // Renders the leaves of `cells` at `scale` pixels per point. None when the pixel
    // size is empty or the flag was set before, during or after the workers ran.
    // `threadLimit` caps the threads running the workers (0: all processors).
    static std::optional<TreemapBitmap> render(std::span<const TreemapCell> cells, const Parameters& parameters,
                                               const TreemapCancelFlag* flag, TreemapSize size, double scale,
                                               unsigned threadLimit = 0);

    static std::vector<Coefficients> cushionCoefficients(double scale, std::span<const TreemapCell> cells,
                                                         const Parameters& parameters);

    // Writes the pixels of one leaf into `bitmap`.
    static void shadeCell(const Coefficients& k, const TreemapCell& cell, double scale, const Vector3& light,
                          const Parameters& parameters, TreemapBitmap& bitmap);
};

} // namespace plenwick
