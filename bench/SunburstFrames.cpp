#include "SunburstFrames.h"

#include "app/AppState.h"
#include "charts/ChartEnums.h"
#include "chartviews/SunburstArcsLayer.h"
#include "chartviews/SunburstView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

namespace plenwick {

namespace {

template <class F>
double bestMs(int runs, F&& body) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        best = std::min(best, t.nsecsElapsed() / 1e6);
        QApplication::processEvents();
    }
    return best;
}

} // namespace

std::string sunburstFigures(AppState& state) {
    const NodeRef root = state.focus();
    if (!root) return {};
    SunburstView view(state);
    view.resize(1280, 820);
    view.show();
    QApplication::processEvents();

    const double paint = bestMs(20, [&] {
        view.arcsLayer()->invalidate();
        view.repaint();
    });

    // Transitions frame by frame, on a clock the bench sets: a zoom into the largest
    // folder and back, and a crossfade to another colour mode. The moments run up to
    // the last moving frame; the settled picture after it is a full repaint.
    double now = 0;
    view.setClock([&now] { return now; });
    double frame = 0;
    auto frames = [&] {
        for (double t = 0.02; t < 0.33; t += 0.03) {
            frame = std::max(frame, bestMs(5, [&] {
                                 now = t;
                                 view.arcsLayer()->invalidate();
                                 view.advanceTransition();
                                 view.repaint();
                             }));
        }
        now = 1;
        view.advanceTransition();
        now = 0;
    };
    NodeRef target;
    for (const NodeRef& child : root->children())
        if (child->isContainer() && child->childCount() > 0) {
            target = child;
            break;
        }
    if (target) {
        state.navigate(target);
        frames();
        state.goBack();
        frames();
    }
    const ColorMode mode = state.colorMode();
    state.setColorMode(mode == ColorMode::byKind ? ColorMode::byFolder : ColorMode::byKind);
    frames();
    state.setColorMode(mode);
    now = 1;
    view.advanceTransition();

    // The hover moving between the two largest items of the inner ring.
    std::vector<NodeRef> items;
    for (const NodeRef& child : root->children()) {
        items.push_back(child);
        if (items.size() == 2) break;
    }
    double hover = 0;
    if (!items.empty()) {
        std::size_t i = 0;
        view.repaint();
        hover = bestMs(30, [&] {
            state.setHovered(items[i++ % items.size()]);
            QApplication::sendPostedEvents();
            QApplication::processEvents();
        });
        state.setHovered(NodeRef());
    }

    // The same two items hovered by the pointer moving between their arcs.
    double pointerHover = 0;
    std::vector<QPointF> points;
    const SunburstLayout& layout = *view.scene()->layout;
    const SunburstChartGeometry geometry = view.chartGeometry();
    for (const NodeRef& item : items) {
        const auto ref = layout.index.find(item.get());
        if (ref == layout.index.end()) continue;
        const SunburstArc& arc = layout.arc(ref->second);
        const double angle = 2 * std::numbers::pi * (arc.start + arc.end) / 2;
        const double radius = layout.metrics.ringRadius(arc.ring + 0.5) * geometry.radius;
        points.push_back(geometry.centre + QPointF(std::sin(angle) * radius, -std::cos(angle) * radius));
    }
    if (!points.empty()) {
        std::size_t i = 0;
        view.repaint();
        pointerHover = bestMs(30, [&] {
            const QPointF at = points[i++ % points.size()];
            QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&view, &move);
            QApplication::sendPostedEvents();
            QApplication::processEvents();
        });
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&view, &leave);
    }

    char line[200];
    std::snprintf(line, sizeof line,
                  "sunburst_paint_ms=%.2f sunburst_frame_ms=%.2f sunburst_hover_ms=%.2f sunburst_pointer_hover_ms=%.2f", paint,
                  frame, hover, pointerHover);
    return line;
}

} // namespace plenwick
