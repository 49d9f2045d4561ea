#include "charts/SunburstTransition.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

namespace {

std::optional<SunburstSpan> scaledSpan(const FileNode* inner, const FileNode* outer, double contentEnd) {
    std::optional<SunburstSpan> span = SunburstLayout::span(inner, outer);
    if (!span) return std::nullopt;
    span->start *= contentEnd;
    span->end *= contentEnd;
    // A span of nothing (a folder of size 0) has no arc to zoom into.
    if (span->end - span->start < SunburstTransition::minimumSpanWidth) return std::nullopt;
    return span;
}

} // namespace

SunburstTransition SunburstTransition::between(std::shared_ptr<const SunburstScene> from, const SunburstScene& to,
                                               std::uint64_t id) {
    SunburstTransition t;
    t.id = id;
    const SunburstLayout& before = *from->layout;
    const SunburstLayout& after = *to.layout;
    if (auto span = scaledSpan(after.focus.get(), before.focus.get(), before.contentEnd)) {
        t.kind = Kind::zoomIn;
        t.span = *span;
    } else if (auto span = scaledSpan(before.focus.get(), after.focus.get(), after.contentEnd)) {
        t.kind = Kind::zoomOut;
        t.span = *span;
    }
    t.from = std::move(from);
    return t;
}

SunburstFrame SunburstTransition::frame(double progress) const {
    if (kind == Kind::crossfade) return {};
    const double u = kind == Kind::zoomIn ? progress : 1 - progress;
    const double s = span.start;
    const double w = std::max(span.end - span.start, 1e-12);
    const double p = std::pow(w, u);
    const double windowStart = w < 0.999999999 ? s * (1 - p) / (1 - w) : s * u;
    return {windowStart, windowStart + p, u * span.depth};
}

SunburstPass SunburstTransition::oldPass(double progress) const {
    SunburstPass pass;
    if (kind == Kind::zoomOut) pass = {span.start, span.end - span.start, static_cast<double>(span.depth), 1, 1};
    pass.opacity = 1 - sunburstSmoothStep((progress - 0.55) / 0.45);
    pass.labelOpacity = 1 - sunburstSmoothStep(progress / 0.3);
    return pass;
}

SunburstPass SunburstTransition::newPass(double progress) const {
    SunburstPass pass;
    if (kind == Kind::zoomIn) pass = {span.start, span.end - span.start, static_cast<double>(span.depth), 1, 1};
    pass.opacity = sunburstSmoothStep(progress / 0.7);
    pass.labelOpacity = sunburstSmoothStep((progress - 0.7) / 0.3);
    return pass;
}

double sunburstTransitionProgress(double seconds) {
    const double x = std::clamp(seconds / SunburstTransition::animationSeconds, 0.0, 1.0);
    return x < 0.5 ? 4 * x * x * x : 1 - std::pow(2 - 2 * x, 3) / 2;
}

double sunburstSmoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

} // namespace plenwick
