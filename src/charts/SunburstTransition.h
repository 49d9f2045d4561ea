#pragma once
// The animated change from one sunburst scene to the next: the old scene zooms into
// (or out of) the arc of the new focus while the new scene fades in. Everything here
// is a function of the transition's progress, so a frame can be computed for any
// moment without a clock.

#include "charts/SunburstScene.h"

#include <cstdint>
#include <memory>

namespace plenwick {

// The visible window of the outer focus's turn and how far the rings have moved in.
struct SunburstFrame {
    double windowStart = 0;
    double windowEnd = 1;
    double ringShift = 0;
    friend bool operator==(const SunburstFrame&, const SunburstFrame&) = default;
};

// How one scene is drawn in a frame: where its turn lies in the common frame, and
// its opacities.
struct SunburstPass {
    double baseStart = 0;
    double baseWidth = 1;
    double baseDepth = 0;
    double opacity = 1;
    double labelOpacity = 1;
};

struct SunburstTransition {
    enum class Kind { zoomIn, zoomOut, crossfade };

    static constexpr double animationSeconds = 0.35;
    // The transition stays a little longer than it moves, then the view clears it.
    static constexpr double lifetimeSeconds = 0.38;
    // Narrower spans (a focus of size 0) cannot be zoomed into; they crossfade.
    static constexpr double minimumSpanWidth = 1e-9;

    std::uint64_t id = 0; // a new one per focus change
    Kind kind = Kind::crossfade;
    std::shared_ptr<const SunburstScene> from; // the scene being replaced
    // The inner focus's span below the outer one: for zoomIn the new focus in the old,
    // for zoomOut the old in the new; (0, 1, 0) for a crossfade.
    SunburstSpan span{0, 1, 0};

    // The transition from `from` to `to`: a zoom when one focus lies inside the other,
    // else a crossfade.
    static SunburstTransition between(std::shared_ptr<const SunburstScene> from, const SunburstScene& to,
                                      std::uint64_t id);

    SunburstFrame frame(double progress) const;
    // The replaced scene, drawn first, and the new scene, drawn over it.
    SunburstPass oldPass(double progress) const;
    SunburstPass newPass(double progress) const;
};

// The progress `seconds` after a transition started: cubic ease-in-out over 0.35 s.
double sunburstTransitionProgress(double seconds);
// x²·(3 − 2x) of x clamped to 0…1.
double sunburstSmoothStep(double x);

} // namespace plenwick
