// plenwick-ui-bench [PATH]: scans PATH (default: the benchmarks' 1,000,000-file tree)
// into a real main window offscreen at 1280×820 and prints one line of key=value
// timings:
//   progress_frame_ms       one frame of the scan rings' animation in the 1280×820
//                           scan-progress screen (median; measured before the scan)
//   results_first_paint_ms  from the moment the finished scan reaches the state to
//                           the results screen built, laid out and painted
//   sunburst_*_ms           the sunburst's repaint, transition frame and hover, set in
//                           the state and by the pointer (SunburstFrames.h)
//   scan_s, files           the scan itself, for reference
//   largest_ms, search_ms, search_nonascii_ms, sort_100k_ms, outline_reload_ms,
//   writer_wait_ms, outline_hover_ms
//                           the outline list (OutlineBench.h)
//   wide_rows, wide_expand_ms, wide_scroll_ms, wide_sort_ms
//                           the widest folder below the root in the outline (OutlineBench.h)
//   treemap_*               the treemap view on the same tree (TreemapBench.h)

#include "OutlineBench.h"
#include "ProgressFrame.h"
#include "SunburstFrames.h"
#include "TreemapBench.h"
#include "app/AppState.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "outline/FileOutlineView.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace plenwick;

namespace {

std::string defaultTree() {
    const char* base = std::getenv("PLENWICK_BENCH_DIR");
    return std::string(base && *base ? base : "/tmp/plenwick-bench") + "/tree-1m";
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The measured views come and go as windows of their own: closing the last of them
    // must not end the program (a pending quit would return every later wait at once).
    QApplication::setQuitOnLastWindowClosed(false);
    const std::string path = argc > 1 ? argv[1] : defaultTree();

    PlenwickApp program;
    AppState& state = program.appState();

    // Connected before the window exists, so this runs first when the scan lands.
    QElapsedTimer sinceScanEnd;
    double firstPaintMs = -1;
    QObject::connect(&state, &AppState::changed, &app, [&](quint64 fields) {
        if (!(fields & AppState::bit(AppState::Field::phase)) || sinceScanEnd.isValid()) return;
        if (state.phase().kind() != AppState::Phase::Kind::results) return;
        sinceScanEnd.start();
        // The root view builds the results screen in this same notification; the
        // paint follows as soon as control is back in the event loop.
        QTimer::singleShot(0, &app, [&] {
            MainWindow& window = program.mainWindow();
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            window.repaint();
            firstPaintMs = sinceScanEnd.nsecsElapsed() / 1e6;
            app.quit();
        });
    });
    QObject::connect(&state, &AppState::changed, &app, [&](quint64) {
        if (state.phase().kind() == AppState::Phase::Kind::failed) {
            std::fprintf(stderr, "plenwick-ui-bench: %s\n", state.phase().message().c_str());
            app.exit(1);
        }
    });

    MainWindow& window = program.mainWindow();
    window.resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    window.show();
    QApplication::processEvents();

    // The progress screen's frames, while nothing else runs.
    bench::measureProgressFrames(state, 1.0, 30); // warm-up: fonts, glyphs, caches
    const double progressFrameMs = bench::measureProgressFrames(state).ringsFrameMs;

    const auto start = std::chrono::steady_clock::now();
    state.startScan(path);
    if (app.exec() != 0) return 1;
    const double scanSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ResultsView* results = window.rootView()->resultsView();
    auto* sidebar = results ? qobject_cast<FileOutlineView*>(results->sidebar()) : nullptr;
    if (!sidebar) {
        std::fprintf(stderr, "plenwick-ui-bench: no results screen with its outline\n");
        return 1;
    }
    const bench::OutlineTimes outline = bench::measureOutline(state, *sidebar);
    if (outline.reloadResets != 0) std::fprintf(stderr, "plenwick-ui-bench: an unchanged outline update reset the table\n");
    const bench::WideFolderTimes wide = bench::measureWideFolder(state, *sidebar);
    window.hide(); // its own chart would repaint with the measured one
    const double outlineHoverMs = bench::measureOutlineHover(state);
    const std::string sunburst = sunburstFigures(state);
    const std::string treemap = bench::treemapFigures(state, 5);
    std::printf("progress_frame_ms=%.2f results_first_paint_ms=%.1f %s scan_s=%.2f files=%lld largest_ms=%.1f "
                "search_ms=%.1f search_nonascii_ms=%.1f sort_100k_ms=%.1f outline_reload_ms=%.2f writer_wait_ms=%.1f "
                "outline_hover_ms=%.3f wide_rows=%lld wide_expand_ms=%.1f wide_scroll_ms=%.2f wide_sort_ms=%.1f %s\n",
                progressFrameMs, firstPaintMs, sunburst.c_str(), scanSeconds,
                static_cast<long long>(state.root()->fileCount()), outline.largestMs, outline.searchMs,
                outline.searchNonASCIIMs, outline.sort100kMs, outline.reloadMs, outline.writerWaitMs, outlineHoverMs,
                wide.rows, wide.expandMs, wide.scrollMs, wide.sortMs, treemap.c_str());
    return 0;
}
