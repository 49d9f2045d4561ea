// plenwick-rescan-bench ROOT FOLDER [--runs N]: scans ROOT into an application state,
// then times rescanning FOLDER (a folder below ROOT) in place against a fresh scan of
// FOLDER alone in a second state, both on the program's thread pools and timed until
// the state has settled (the rescan until its statistics are applied too). The two
// take turns; each keeps its best of N runs (default 5). Prints one line:
//   rescan_s, fresh_scan_s, ratio (rescan / fresh), files (in FOLDER), and
//   same_totals (1 when every rescan left ROOT's totals as they were)

#include "BenchCommon.h"
#include "NoVolumes.h"

#include "app/AppState.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>

using namespace plenwick;

namespace {

std::unique_ptr<AppState> makeState() {
    AppEnvironment env = AppEnvironment::standard();
    env.volumeSource = std::make_shared<bench::NoVolumes>();
    env.preferences = std::make_shared<MemoryPreferences>();
    return std::make_unique<AppState>(std::move(env));
}

template <class Done>
void waitUntil(Done done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

// Scans `path` into `state`; false (with a message) when it did not end in results.
bool scan(AppState& state, const std::string& path) {
    state.startScan(path);
    waitUntil([&] { return state.phase().kind() != AppState::Phase::Kind::scanning; });
    if (state.phase().kind() == AppState::Phase::Kind::results) return true;
    std::fprintf(stderr, "plenwick-rescan-bench: %s: %s\n", path.c_str(), state.phase().message().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 5;
    if (argc == 5 && std::string_view(argv[3]) == "--runs") {
        if (!bench::parseNumber(argv[4], runs) || runs < 1) runs = 0;
    } else if (argc != 3) {
        runs = 0;
    }
    if (runs == 0) {
        std::fprintf(stderr, "usage: plenwick-rescan-bench ROOT FOLDER [--runs N]\n");
        return 2;
    }
    const std::string rootPath = argv[1];
    const std::string folderPath = argv[2];

    const auto state = makeState();
    const auto fresh = makeState();
    if (!scan(*state, rootPath)) return 1;
    const NodeRef folder = state->nodeForURL(folderPath);
    if (!folder || !folder->isContainer() || !folder->parent()) {
        std::fprintf(stderr, "plenwick-rescan-bench: %s is no folder below %s\n", folderPath.c_str(), rootPath.c_str());
        return 1;
    }
    const std::int64_t files = folder->fileCount();
    const std::int64_t size = state->root()->size();
    const std::int64_t logical = state->root()->logicalSize();

    double bestRescan = 1e30, bestFresh = 1e30;
    bool sameTotals = true;
    for (int run = 0; run < runs; ++run) {
        auto start = std::chrono::steady_clock::now();
        state->rescanFolder(state->nodeForURL(folderPath));
        waitUntil([&] { return state->refreshingFolders().empty() && !state->hasStatsUpdates(); });
        bestRescan = std::min(bestRescan, bench::secondsSince(start));
        sameTotals = sameTotals && state->root()->size() == size && state->root()->logicalSize() == logical;

        start = std::chrono::steady_clock::now();
        if (!scan(*fresh, folderPath)) return 1;
        bestFresh = std::min(bestFresh, bench::secondsSince(start));
    }

    bench::ResultLine line;
    line.add("rescan_s", bestRescan);
    line.add("fresh_scan_s", bestFresh);
    line.add("ratio", bestRescan / bestFresh, 2);
    line.add("files", files);
    line.add("same_totals", sameTotals ? 1 : 0);
    line.print();
    return 0;
}
