#include "ProgressFrame.h"

#include "results/ScanProgressView.h"
#include "results/ShellScanRings.h"

#include <QImage>
#include <QLayout>

#include <algorithm>
#include <chrono>
#include <vector>

namespace plenwick::bench {

namespace {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

ProgressFrameTimes measureProgressFrames(AppState& state, qreal scale, int frames) {
    using Clock = std::chrono::steady_clock;
    ScanProgressView view(state);
    view.resize(1280, 820);
    view.layout()->activate();
    QImage target(QSize(1280, 820) * scale, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(scale);
    target.fill(Qt::white);

    ShellScanRings* rings = view.rings();
    const QRegion ringsRegion(QRect(rings->mapTo(&view, QPoint(0, 0)), rings->size()));
    const double start = ShellScanRings::referenceClock();
    std::vector<double> ringTimes, screenTimes;
    for (int i = 0; i < frames; ++i) {
        view.setFixedTime(start + i / 60.0);
        const auto before = Clock::now();
        view.render(&target, QPoint(), ringsRegion, QWidget::DrawWindowBackground | QWidget::DrawChildren);
        ringTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        if (i % 8 == 0) {
            const auto wholeBefore = Clock::now();
            view.render(&target, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
            screenTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - wholeBefore).count());
        }
    }
    return {median(ringTimes), median(screenTimes)};
}

} // namespace plenwick::bench
