// The scan-progress screen drawn offscreen at the window's default size, at 1× and 2×,
// light and dark: every picture has the rings, the title and the card on it. With
// PLENWICK_SHOTS_DIR set the pictures are also written there as PNG files.

#include "app/StateFixture.h"
#include "common/Palettes.h"
#include "results/ScanProgressView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QPalette>

namespace plenwick {
namespace {

QImage draw(QWidget& view, qreal scale) {
    QImage image(QSize(1280, 820) * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    // Texts set since the last pass of the event loop have not been laid out yet.
    view.layout()->activate();
    view.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

// Pixels that differ from the window colour in a band of rows.
int inkIn(const QImage& image, QColor window, int top, int bottom) {
    int ink = 0;
    for (int y = top; y < bottom; y += 2)
        for (int x = 0; x < image.width(); x += 2) ink += image.pixelColor(x, y) != window;
    return ink;
}

class ProgressPictures : public test::StateTest {
protected:
    void SetUp() override { makeState(/*poolsForScans=*/true); }

    void drawAll(const char* name) {
        const QString folder = qEnvironmentVariable("PLENWICK_SHOTS_DIR");
        if (!folder.isEmpty()) QDir().mkpath(folder);
        ScanProgressView view(*state);
        view.resize(1280, 820);
        view.setFixedTime(95.3);
        for (bool dark : {false, true}) {
            const QPalette palette = dark ? test::darkPalette() : test::lightPalette();
            view.setPalette(palette);
            for (qreal scale : {1.0, 2.0}) {
                const QImage image = draw(view, scale);
                const QColor window = palette.color(QPalette::Window);
                const int h = image.height();
                // Rings in the upper half, texts and card below them.
                EXPECT_GT(inkIn(image, window, h / 10, h / 2), 1000) << name << dark << scale;
                EXPECT_GT(inkIn(image, window, h / 2, h * 9 / 10), 1000) << name << dark << scale;
                if (!folder.isEmpty()) {
                    image.save(QStringLiteral("%1/%2-%3@%4x.png").arg(folder, QString::fromLatin1(name),
                                                                     dark ? "dark" : "light").arg(int(scale)));
                }
            }
        }
    }
};

TEST_F(ProgressPictures, AFolderScanBeforeTheFirstReport) {
    const std::string base = makeTree({{"Projects/a", 10}});
    state->volumeRefresh().assignVolumes({});
    state->startScan(base + "/Projects");
    drawAll("scanning-folder");
    state->cancelScan();
}

TEST_F(ProgressPictures, AWholeVolumeWhileItIsScanned) {
    // The root folder scans long enough for the scanner to report at least once.
    state->volumeRefresh().assignVolumes({test::volume("/", "System", 120'000'000'000, 45'000'000'000)});
    state->startScan("/");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return state->scanProgress().filesScanned > 0 || state->phase().kind() != AppState::Phase::Kind::scanning; },
        60000));
    drawAll("scanning-volume");
    state->cancelScan();
}

} // namespace
} // namespace plenwick
