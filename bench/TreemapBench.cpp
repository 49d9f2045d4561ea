#include "TreemapBench.h"

#include "app/AppState.h"
#include "chartviews/TreemapModel.h"
#include "chartviews/TreemapStatusBar.h"
#include "chartviews/TreemapView.h"
#include "runtime/ManualClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace plenwick::bench {

namespace {

constexpr int chartWidth = 1280, chartHeight = 820;
constexpr int barHeight = 1 + TreemapStatusBar::kHeight;

// Milliseconds from `trigger` to the model's next picture painted on screen.
double untilPainted(TreemapView& view, const std::function<void()>& trigger) {
    TreemapModel& model = view.model();
    QElapsedTimer timer;
    QEventLoop loop;
    double ms = -1;
    const auto connection = QObject::connect(&model, &TreemapModel::imageChanged, &loop, [&] {
        if (model.image().isNull()) return;
        view.chart()->repaint();
        ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    timer.start();
    trigger();
    if (ms < 0) loop.exec();
    QObject::disconnect(connection);
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// The smallest folder among the root's children that has something to draw.
NodeRef smallFolder(const AppState& state) {
    NodeRef best;
    for (const NodeRef& child : state.root()->children())
        if (child->isContainer() && child->size() > 0 && (!best || child->size() < best->size())) best = child;
    return best;
}

} // namespace

std::string treemapFigures(AppState& state, int runs) {
    ManualClock clock; // the resize pause ends when the benchmark says so
    TreemapView view(state, nullptr, &clock);
    view.resize(chartWidth, chartHeight + barHeight);
    const NodeRef root = state.root();
    const NodeRef small = smallFolder(state);
    if (!root || !small) return "treemap_pipeline_ms=-1";
    state.navigate(small);
    untilPainted(view, [&] { view.show(); });

    double pipeline = -1, resize = -1, hover = -1;
    auto keepBest = [](double& best, double value) {
        if (value >= 0 && (best < 0 || value < best)) best = value;
    };
    std::size_t cells = 0;
    for (int run = 0; run < runs; ++run) {
        // The whole tree from a picture of another folder.
        state.navigate(small);
        untilPainted(view, [] {});
        keepBest(pipeline, untilPainted(view, [&] { state.navigate(root); }));
        if (view.model().layout()) cells = view.model().layout()->cells.size();
    }
    for (int run = 0; run < runs; ++run) {
        // A live resize that comes to rest, each time at another width than before.
        const int rest = run % 2 == 0 ? chartWidth - 40 : chartWidth;
        for (int width : {1200, 1220, 1260, rest}) {
            view.resize(width, chartHeight + barHeight);
            QApplication::processEvents();
        }
        keepBest(resize, untilPainted(view, [&] { clock.advance(TreemapModel::resizePause); }));
    }
    QWidget* chart = view.chart();
    for (int run = 0; run < runs; ++run) {
        // Pointer moves across the chart, each painted before the next.
        std::vector<double> moves;
        for (int i = 0; i < 300; ++i) {
            const QPointF at((i * 397) % chart->width() + 0.5, (i * 211) % chart->height() + 0.5);
            QElapsedTimer timer;
            timer.start();
            QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(chart, &move);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            moves.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        keepBest(hover, median(moves));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(chart, &leave);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    char text[256];
    std::snprintf(text, sizeof text, "treemap_pipeline_ms=%.1f treemap_resize_ms=%.1f treemap_hover_ms=%.3f treemap_cells=%zu",
                  pipeline, resize, hover, cells);
    return text;
}

} // namespace plenwick::bench
