// Times the chart engines on a scanned tree, for a 1280 × 820 point view:
// the sunburst's layout and styles, the treemap's sliced layout, and the cushion
// rendering on all processors and on one thread, at scales 1 and 2.
// usage: plenwick-chart-bench [PATH]   (default: the 1,000,000-file fixture tree)

#include "BenchCommon.h"
#include "NoVolumes.h"

#include "app/AppState.h"
#include "charts/SunburstScene.h"
#include "charts/TreemapCushionRenderer.h"
#include "charts/TreemapLayoutJob.h"
#include "chartviews/AppStateChartState.h"
#include "runtime/ManualExecutor.h"
#include "scanner/DiskScanner.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace plenwick;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 15;
constexpr TreemapSize viewSize{1280, 820};

double msSince(Clock::time_point start) { return bench::secondsSince(start) * 1000; }

// Median and spread of repeated timings, in milliseconds.
struct Timings {
    std::vector<double> values;
    double median() {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    double min() { return *std::min_element(values.begin(), values.end()); }
    double max() { return *std::max_element(values.begin(), values.end()); }
};

Timings repeat(const std::function<double()>& once) {
    Timings t;
    once(); // warm up
    for (int i = 0; i < runs; ++i) t.values.push_back(once());
    return t;
}

std::string defaultTree() {
    const char* base = std::getenv("PLENWICK_BENCH_DIR");
    return std::string(base && *base ? base : "/tmp/plenwick-bench") + "/tree-1m";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: plenwick-chart-bench [PATH]\n");
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : defaultTree();

    NodeRef root;
    try {
        root = DiskScanner::scanQuietly(path, ScanOptions{});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plenwick-chart-bench: %s\n", e.what());
        return 1;
    }
    AppEnvironment env;
    env.userInitiated = std::make_shared<ManualExecutor>();
    env.utility = std::make_shared<ManualExecutor>();
    env.volumeSource = std::make_shared<bench::NoVolumes>();
    env.preferences = std::make_shared<MemoryPreferences>();
    AppState state(std::move(env));
    state.finishScan(root, AppState::computeTypeStats(root));
    AppStateChartState charts(state);

    std::size_t arcs = 0;
    Timings sunburst = repeat([&] {
        const auto start = Clock::now();
        const auto scene = SunburstScene::make(charts, state.focus(), nullptr);
        const double ms = msSince(start);
        arcs = 0;
        for (const auto& ring : scene->layout->rings) arcs += ring.size();
        return ms;
    });

    TreemapLayout layout;
    Timings maxSlices;
    Timings treemap = repeat([&] {
        double maxSlice = 0;
        TreemapLayoutJob job(state.focus(), charts, TreemapLayoutEngine::Options{}, viewSize);
        double total = 0;
        for (;;) {
            const auto start = Clock::now();
            const auto status = job.step();
            const double slice = msSince(start);
            total += slice;
            maxSlice = std::max(maxSlice, slice);
            if (status != TreemapLayoutJob::Status::running) break;
        }
        layout = job.takeLayout();
        maxSlices.values.push_back(maxSlice);
        return total;
    });

    auto cushion = [&](double scale, unsigned threads) {
        return repeat([&] {
            const auto start = Clock::now();
            const auto bitmap =
                TreemapCushionRenderer::render(layout.cells, {}, nullptr, layout.size, scale, threads);
            return msSince(start);
        });
    };
    Timings cushion1 = cushion(1, 0), cushion1Single = cushion(1, 1);
    Timings cushion2 = cushion(2, 0), cushion2Single = cushion(2, 1);

    bench::ResultLine line;
    line.add("sunburst_ms", sunburst.median());
    line.add("treemap_layout_ms", treemap.median());
    line.add("treemap_max_slice_ms", maxSlices.median());
    line.add("treemap_cells", layout.cells.size());
    line.add("cushion_ms", cushion1.median());
    line.add("cushion_1thread_ms", cushion1Single.median());
    line.add("cushion_2x_ms", cushion2.median());
    line.add("cushion_1thread_2x_ms", cushion2Single.median());
    line.print();
    std::fprintf(stderr,
                 "min/max of %d runs: sunburst %.3f/%.3f treemap %.3f/%.3f cushion %.3f/%.3f "
                 "cushion_1thread %.3f/%.3f cushion_2x %.3f/%.3f cushion_1thread_2x %.3f/%.3f max_slice %.3f/%.3f; "
                 "files %lld, sunburst arcs %zu, processors %u\n",
                 runs, sunburst.min(), sunburst.max(), treemap.min(), treemap.max(), cushion1.min(), cushion1.max(),
                 cushion1Single.min(), cushion1Single.max(), cushion2.min(), cushion2.max(), cushion2Single.min(),
                 cushion2Single.max(), maxSlices.min(), maxSlices.max(), static_cast<long long>(root->fileCount()),
                 arcs,
                 availableProcessors());
    return 0;
}
