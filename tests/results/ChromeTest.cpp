#include "ViewFixture.h"

#include "shell/ActivitySpinner.h"
#include "results/PreviewWindow.h"
#include "results/ResultsView.h"
#include "shell/Symbols.h"

#include <QImage>
#include <QPointer>

namespace plenwick::test {
namespace {

// Whether any pixel of the picture is not fully transparent.
bool drawsSomething(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) return true;
    return false;
}

TEST(Symbols, EverySymbolDrawsAtEveryPixelRatio) {
    for (int s = int(Symbol::chevronLeft); s <= int(Symbol::docFill); ++s) {
        for (qreal dpr : {1.0, 2.0}) {
            const QPixmap pixmap = symbolIcon(Symbol(s)).pixmap(QSize(16, 16), dpr);
            EXPECT_EQ(pixmap.width(), qRound(16 * dpr)) << s;
            EXPECT_TRUE(drawsSomething(pixmap.toImage())) << "symbol " << s << " at " << dpr;
        }
    }
    // A given colour is the colour drawn.
    const QImage red = symbolIcon(Symbol::warningTriangle, QColor(Qt::red))
                           .pixmap(QSize(32, 32))
                           .toImage()
                           .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(red.pixel(10, 24), qRgba(255, 0, 0, 255));
}

TEST(ActivitySpinner, TurnsOnlyWhileVisible) {
    QWidget parent;
    auto* spinner = new ActivitySpinner(16, &parent);
    EXPECT_FALSE(spinner->isAnimating());
    parent.show();
    EXPECT_TRUE(spinner->isAnimating());
    spinner->hide();
    EXPECT_FALSE(spinner->isAnimating());
}

class ChromeViewTest : public ViewTest {};

TEST_F(ChromeViewTest, TheHiddenChartIsGoneNotKept) {
    scanToResults();
    ResultsView* view = root->resultsView();
    QPointer<QWidget> sunburst = view->chart();
    state->setVisualization(Visualization::treemap);
    EXPECT_TRUE(sunburst.isNull());
    state->setVisualization(Visualization::sunburst);
    EXPECT_NE(view->chart(), nullptr);
}

TEST_F(ChromeViewTest, ImagesShowTheirPicture) {
    const std::string base = scanToResults();
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const std::string path = base + "/blue.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
    state->setQuickLookURL(path);
    PreviewWindow* preview = root->resultsView()->previewWindow();
    ASSERT_NE(preview, nullptr);
    runUserJobs();
    ASSERT_NE(preview->content(), nullptr);
    EXPECT_EQ(preview->content()->kind, PreviewContent::Kind::image);
    const QImage shown = preview->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)), QColor(Qt::blue));
}

} // namespace
} // namespace plenwick::test
