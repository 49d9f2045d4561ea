// Times the scan-progress screen's frames offscreen, at 1× and 2×.
// usage: plenwick-progress-bench
// Prints: progress_frame_ms=… progress_frame_2x_ms=… progress_screen_ms=… progress_screen_2x_ms=…

#include "NoVolumes.h"
#include "ProgressFrame.h"
#include "app/AppState.h"
#include "app/ManualExecutor.h"

#include <QApplication>

#include <cstdio>
#include <memory>

using namespace plenwick;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppEnvironment environment;
    environment.userInitiated = std::make_shared<ManualExecutor>(); // the scan never runs: the screen stays up
    environment.utility = std::make_shared<ManualExecutor>();
    environment.volumeSource = std::make_shared<bench::NoVolumes>();
    environment.preferences = std::make_shared<MemoryPreferences>();
    AppState state(environment);
    state.startScan("/usr");

    bench::measureProgressFrames(state, 1.0, 30); // warm caches and fonts
    const auto one = bench::measureProgressFrames(state, 1.0);
    const auto two = bench::measureProgressFrames(state, 2.0);
    std::printf("progress_frame_ms=%.2f progress_frame_2x_ms=%.2f progress_screen_ms=%.2f progress_screen_2x_ms=%.2f\n",
                one.ringsFrameMs, two.ringsFrameMs, one.wholeScreenMs, two.wholeScreenMs);
    return 0;
}
