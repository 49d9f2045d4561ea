// The shared style: colours by appearance, the capacity ring's colours and label, the
// logo's pixel grid, and the card as it is drawn.

#include "common/Palettes.h"
#include "shell/AppLogo.h"
#include "shell/ShellCapacityRing.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "services/Formatters.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace plenwick {
namespace {

using test::darkPalette;
using test::lightPalette;

bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST(ShellStyle, AppearanceFollowsTheWindowColour) {
    EXPECT_EQ(shellAppearance(lightPalette()), ShellAppearance::light);
    EXPECT_EQ(shellAppearance(darkPalette()), ShellAppearance::dark);
    QPalette mid = lightPalette();
    mid.setColor(QPalette::Window, QColor(127, 127, 127)); // just below half
    EXPECT_EQ(shellAppearance(mid), ShellAppearance::dark);
    mid.setColor(QPalette::Window, QColor(128, 128, 128));
    EXPECT_EQ(shellAppearance(mid), ShellAppearance::light);
    // A dark window with a light highlight is still dark: only the window decides.
    QPalette darkWithLightAccent = darkPalette();
    darkWithLightAccent.setColor(QPalette::Highlight, Qt::yellow);
    EXPECT_EQ(shellAppearance(darkWithLightAccent), ShellAppearance::dark);
}

TEST(ShellStyle, ColoursOfBothAppearances) {
    const auto light = ShellAppearance::light, dark = ShellAppearance::dark;
    EXPECT_EQ(shellCardFillColor(light), QColor::fromRgbF(1, 1, 1, 1));
    EXPECT_EQ(shellCardFillColor(dark), QColor::fromRgbF(1, 1, 1, 0.065f));
    EXPECT_EQ(shellCardStrokeColor(light), QColor::fromRgbF(0, 0, 0, 0.08f));
    EXPECT_EQ(shellCardStrokeColor(dark), QColor::fromRgbF(1, 1, 1, 0.10f));
    EXPECT_EQ(shellRingTrackColor(light), QColor::fromRgbF(0, 0, 0, 0.09f));
    EXPECT_EQ(shellRingTrackColor(dark), QColor::fromRgbF(1, 1, 1, 0.13f));
    EXPECT_EQ(shellNeutralFillColor(light), QColor::fromRgbF(0.62f, 0.62f, 0.68f));
    EXPECT_EQ(shellNeutralFillColor(dark), QColor::fromRgbF(0.48f, 0.48f, 0.54f));
    EXPECT_EQ(shellNeutralFillColor(dark).alpha(), 255);
}

TEST(ShellStyle, PaletteColours) {
    EXPECT_EQ(shellAccentColor(lightPalette()), QColor(0, 122, 255));
    EXPECT_EQ(shellAccentColor(darkPalette()), QColor(10, 132, 255));
    EXPECT_EQ(shellWindowBackgroundColor(darkPalette()), QColor(30, 30, 30));
    const QColor secondaryLight = shellSecondaryColor(lightPalette());
    EXPECT_EQ(secondaryLight.rgb(), QColor(Qt::black).rgb());
    EXPECT_NEAR(secondaryLight.alphaF(), 0.5, 0.01);
    const QColor secondaryDark = shellSecondaryColor(darkPalette());
    EXPECT_EQ(secondaryDark.rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(secondaryDark.alphaF(), 0.55, 0.01);
    // Opacity multiplies what is there.
    EXPECT_NEAR(shellWithOpacity(QColor::fromRgbF(1, 0, 0, 0.5f), 0.5).alphaF(), 0.25, 0.01);
}

TEST(ShellStyle, TextStylesAndGradient) {
    EXPECT_EQ(shellFont(ShellTextStyle::title2).pixelSize(), 17);
    EXPECT_EQ(shellFont(ShellTextStyle::title3, QFont::DemiBold).weight(), QFont::DemiBold);
    EXPECT_EQ(shellFont(ShellTextStyle::headline).weight(), QFont::DemiBold);
    EXPECT_EQ(shellMonospacedFont(ShellTextStyle::caption).pixelSize(), 10);

    const QColor base = QColor::fromRgbF(0.2f, 0.4f, 0.8f, 0.5f);
    const QLinearGradient g = shellColorGradient(base, QRectF(0, 10, 20, 30));
    EXPECT_EQ(g.start(), QPointF(0, 10));
    EXPECT_EQ(g.finalStop(), QPointF(0, 40));
    const QColor top = g.stops().front().second, bottom = g.stops().back().second;
    EXPECT_GT(top.lightnessF(), base.lightnessF());
    EXPECT_LT(bottom.lightnessF(), base.lightnessF());
    EXPECT_NEAR(top.alphaF(), 0.5, 0.001);
    EXPECT_NEAR(bottom.alphaF(), 0.5, 0.001);
}

TEST(ShellCapacityRing, ColoursByFillLevel) {
    using C = ShellCapacityRing::Colors;
    const C blue{QColor::fromRgbF(0.25, 0.62, 1.0), QColor::fromRgbF(0.42, 0.40, 0.98)};
    const C orange{QColor::fromRgbF(1.0, 0.72, 0.20), QColor::fromRgbF(0.98, 0.50, 0.20)};
    const C red{QColor::fromRgbF(1.0, 0.42, 0.32), QColor::fromRgbF(0.92, 0.22, 0.38)};
    EXPECT_EQ(ShellCapacityRing::gradientColors(0), blue);
    EXPECT_EQ(ShellCapacityRing::gradientColors(0.7499), blue);
    EXPECT_EQ(ShellCapacityRing::gradientColors(0.75), orange);
    EXPECT_EQ(ShellCapacityRing::gradientColors(0.8999), orange);
    EXPECT_EQ(ShellCapacityRing::gradientColors(0.9), red);
    EXPECT_EQ(ShellCapacityRing::gradientColors(1), red);

    EXPECT_EQ(ShellCapacityRing::fillLevel(-0.5), 0);
    EXPECT_EQ(ShellCapacityRing::fillLevel(std::nan("")), 0);
    EXPECT_EQ(ShellCapacityRing::fillLevel(1.7), 1);
    // The label is the held level's percentage.
    EXPECT_EQ(ShellCapacityRing::accessibleText(-1), QString::fromStdString(formatPercent(0) + " used"));
    EXPECT_EQ(ShellCapacityRing::accessibleText(2), QStringLiteral("100% used"));
    EXPECT_EQ(ShellCapacityRing::accessibleText(0.37), QStringLiteral("37% used"));
}

// Where the picture is the point: the arc starts at 12 o'clock and grows clockwise,
// over a track that stays visible where the arc is not.
TEST(ShellCapacityRing, ArcGrowsClockwiseFromTheTop) {
    ShellCapacityRing ring(0.25, 10);
    ring.setPalette(lightPalette());
    ring.resize(100, 100);
    const QImage image = test::render(ring);
    const QColor top = image.pixelColor(60, 5);     // just right of 12 o'clock, on the ring
    const QColor right = image.pixelColor(95, 50);  // 3 o'clock: the end of a quarter
    const QColor left = image.pixelColor(5, 50);    // 9 o'clock: track only
    EXPECT_GT(top.blue(), 200);
    EXPECT_LT(top.red(), 150);
    EXPECT_GT(right.blue(), 180);
    EXPECT_LT(right.red(), 190);
    EXPECT_TRUE(near(left, QColor(215, 215, 215), 8)) << left.name().toStdString(); // 9 % black on #ececec

    ShellCapacityRing empty(0, 10);
    empty.setPalette(lightPalette());
    empty.resize(100, 100);
    const QImage emptyImage = test::render(empty);
    EXPECT_TRUE(near(emptyImage.pixelColor(60, 5), QColor(215, 215, 215), 8));
}

TEST(AppLogoView, WholeMultiplesOfTheGrid) {
    EXPECT_EQ(AppLogoView::gridMultiple(74, 2), 3);
    EXPECT_DOUBLE_EQ(AppLogoView::side(74, 2), 73.5);
    EXPECT_EQ(AppLogoView::gridMultiple(74, 1), 2);
    EXPECT_DOUBLE_EQ(AppLogoView::side(74, 1), 98);
    EXPECT_DOUBLE_EQ(AppLogoView::side(10, 2), 24.5);
    EXPECT_DOUBLE_EQ(AppLogoView::side(74, 0), 98);  // a scale below 1 counts as 1
    EXPECT_DOUBLE_EQ(AppLogoView::side(74, 0.5), 98);
    EXPECT_EQ(AppLogoView::gridMultiple(73.5, 1), 2); // 1.5 rounds away from zero
    EXPECT_EQ(appLogoImage().size(), QSize(49, 49));
}

// Drawn at 2×, each artwork pixel becomes exactly 3 × 3 device pixels: no smoothing.
TEST(AppLogoView, DrawnWithoutSmoothing) {
    QImage image(300, 300, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        AppLogoView::paint(painter, QPointF(75, 75), 74);
    }
    // 147 device pixels centred on (150, 150): the corner at 150 − 73.5, rounded.
    const int corner = static_cast<int>(std::round(150 - 73.5));
    const QImage& art = appLogoImage();
    for (int y = 0; y < 49; y += 7) {
        for (int x = 0; x < 49; x += 5) {
            const QRgb expected = art.pixel(x, y);
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    ASSERT_EQ(image.pixel(corner + 3 * x + dx, corner + 3 * y + dy), expected) << x << "," << y;
        }
    }
}

// The view puts the logo in its middle at any scale, its corner on a whole device pixel.
TEST(AppLogoView, CentredInTheView) {
    for (qreal scale : {1.0, 2.0}) {
        QWidget window;
        window.resize(300, 300);
        AppLogoView logo(74, &window);
        logo.setGeometry(40, 30, 200, 200);
        QImage image(QSize(300, 300) * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        window.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        const int side = AppLogoView::gridMultiple(74, scale) * AppLogoView::gridPixels;
        EXPECT_LE(right - left + 1, side);
        EXPECT_NEAR((left + right + 1) / 2.0, (40 + 100) * scale, 1.0) << scale;
        EXPECT_NEAR((top + bottom + 1) / 2.0, (30 + 100) * scale, 1.0) << scale;
    }
}

TEST(ShellCard, FillBorderAndShadowInBothAppearances) {
    ShellCardBackground plain{12, false};
    EXPECT_EQ(plain.shadowMargins(), QMarginsF(6, 4, 6, 8));
    ShellCardBackground lit{12, true};
    EXPECT_EQ(lit.shadowMargins(), QMarginsF(12, 7, 12, 17));

    ShellCard card(plain);
    card.resize(200, 100);
    card.setPalette(lightPalette());
    const QRectF inner = card.cardRect();
    EXPECT_EQ(inner, QRectF(12, 7, 200 - 24, 100 - 24));
    QImage light = test::render(card);
    EXPECT_EQ(light.pixelColor(100, 50), QColor(Qt::white));
    // The border: 8 % black over white, 1 wide, inside the edge.
    EXPECT_TRUE(near(light.pixelColor(100, int(inner.top())), QColor(235, 235, 235), 3))
        << light.pixelColor(100, int(inner.top())).name().toStdString();
    // Below the card a faint shadow, darker than the window, fading with distance.
    const QColor justBelow = light.pixelColor(100, int(inner.bottom()) + 2);
    const QColor farBelow = light.pixelColor(100, int(inner.bottom()) + 12);
    EXPECT_LT(justBelow.lightness(), QColor(236, 236, 236).lightness());
    EXPECT_LE(justBelow.lightness(), farBelow.lightness());

    card.setPalette(darkPalette());
    QImage dark = test::render(card);
    // 6.5 % white over the dark window.
    EXPECT_TRUE(near(dark.pixelColor(100, 50), QColor(45, 45, 45), 3)) << dark.pixelColor(100, 50).name().toStdString();

    card.setHighlighted(true);
    card.setPalette(lightPalette());
    QImage highlighted = test::render(card);
    const QColor border = highlighted.pixelColor(100, int(inner.top()));
    EXPECT_GT(border.blue(), border.red() + 60) << "the accent border";
    EXPECT_EQ(card.cardRect(), inner) << "highlighting moves nothing";
}

// A theme icon whose nearest size is smaller than the square is drawn from a larger
// size scaled down, not from the smaller one blown up.
TEST(ShellIconImage, DrawnFromALargerThemeImageScaledDown) {
    QTemporaryDir themes;
    const QString theme = themes.path() + QStringLiteral("/sample");
    auto image = [&](int side, QColor colour) {
        const QString folder = theme + QStringLiteral("/%1x%1/devices").arg(side);
        QDir().mkpath(folder);
        QImage picture(side, side, QImage::Format_ARGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(folder + QStringLiteral("/sample-drive.png")));
    };
    image(48, Qt::red);
    image(512, Qt::blue);
    QFile index(theme + QStringLiteral("/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=sample\nDirectories=48x48/devices,512x512/devices\n\n"
                "[48x48/devices]\nSize=48\nType=Fixed\n\n[512x512/devices]\nSize=512\nType=Fixed\n");
    index.close();
    const QStringList paths = QIcon::themeSearchPaths();
    const QString name = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("sample"));
    const QIcon icon = QIcon::fromTheme(QStringLiteral("sample-drive"));

    for (qreal scale : {1.0, 2.0}) {
        QImage canvas(QSize(58, 58) * scale, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(scale);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        paintShellIcon(painter, icon, QRectF(0, 0, 58, 58));
        painter.end();
        EXPECT_EQ(canvas.pixelColor(canvas.width() / 2, canvas.height() / 2), QColor(Qt::blue)) << "scale " << scale;
    }
    // A square the small image fills takes it.
    QImage small(32, 32, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    QPainter painter(&small);
    paintShellIcon(painter, icon, QRectF(0, 0, 32, 32));
    painter.end();
    EXPECT_EQ(small.pixelColor(16, 16), QColor(Qt::red));

    QIcon::setThemeName(name);
    QIcon::setThemeSearchPaths(paths);
}


TEST(ShellTextLines, ALineShowsAllOfItsLowestGlyphs) {
    // An underscore reaches further below the line than the font's descent at some
    // sizes ("e2scrub_all" lost its underscore in a caption line).
    // All the glyph's ink, whatever fraction of a pixel it lands on.
    const auto ink = [](const QImage& image) {
        int total = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) total += qAlpha(image.pixel(x, y));
        return total;
    };
    for (ShellTextStyle style : {ShellTextStyle::caption, ShellTextStyle::subheadline, ShellTextStyle::callout,
                                 ShellTextStyle::body, ShellTextStyle::title3, ShellTextStyle::title}) {
        ShellText text(QStringLiteral("_"));
        text.setTextStyle(style);
        text.resize(text.sizeHint());
        QImage shown(text.size(), QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::transparent);
        text.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
        // The same glyph with room all round.
        QImage free(text.width() + 8, text.height() * 3, QImage::Format_ARGB32_Premultiplied);
        free.fill(Qt::transparent);
        {
            QPainter painter(&free);
            painter.setFont(text.font());
            painter.setPen(Qt::black);
            painter.drawText(QPointF(4, text.height()), QStringLiteral("_"));
        }
        EXPECT_GE(ink(shown), ink(free) * 9 / 10) << "style " << static_cast<int>(style);
    }
}

} // namespace
} // namespace plenwick
