// The scan-progress screen drawn offscreen at the window's default size, at 1× and 2×,
// light and dark: every picture has the rings, the title and the card on it. With
// PLENWICK_SHOTS_DIR set the pictures are also written there as PNG files.

#include "app/StateFixture.h"
#include "results/ScanProgressView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QPalette>
#include <QStyle>

namespace plenwick {
namespace {

QPalette lightPalette() {
    QPalette p = QApplication::style()->standardPalette();
    p.setColor(QPalette::Window, QColor(236, 236, 236));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Button, QColor(246, 246, 246));
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
    return p;
}

QPalette darkPalette() {
    QPalette p = QApplication::style()->standardPalette();
    p.setColor(QPalette::Window, QColor(30, 30, 30));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(40, 40, 40));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(60, 60, 60));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(70, 70, 70));
    p.setColor(QPalette::Mid, QColor(50, 50, 50));
    p.setColor(QPalette::Dark, QColor(20, 20, 20));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    return p;
}

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
            const QPalette palette = dark ? darkPalette() : lightPalette();
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
    state->setVolumes({});
    state->startScan(base + "/Projects");
    drawAll("scanning-folder");
    state->cancelScan();
}

TEST_F(ProgressPictures, AWholeVolumeWhileItIsScanned) {
    // The root folder scans long enough for the scanner to report at least once.
    state->setVolumes({test::volume("/", "System", 120'000'000'000, 45'000'000'000)});
    state->startScan("/");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return state->scanProgress().filesScanned > 0 || state->phase().kind() != AppState::Phase::Kind::scanning; },
        60000));
    drawAll("scanning-volume");
    state->cancelScan();
}

} // namespace
} // namespace plenwick
