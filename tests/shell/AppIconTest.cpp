#include "shell/AppIcon.h"

#include "common/TestSupport.h"

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// The icon theme as a test leaves it: search paths and names given back.
class IconThemeScope {
public:
    IconThemeScope()
        : paths_(QIcon::themeSearchPaths()), name_(QIcon::themeName()), fallback_(QIcon::fallbackThemeName()) {}
    ~IconThemeScope() {
        QIcon::setThemeSearchPaths(paths_);
        QIcon::setFallbackThemeName(fallback_);
        QIcon::setThemeName(name_);
    }

private:
    QStringList paths_;
    QString name_, fallback_;
};

} // namespace

TEST(AppIcon, TheBuiltInIconCarriesEverySizeOfTheDrawing) {
    const QIcon icon = builtInApplicationIcon();
    ASSERT_FALSE(icon.isNull()) << "the icon's resource is not linked into the program";
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    // The hub in the middle, the tile's dark blue beside the rings.
    const QImage image = icon.pixmap(QSize(128, 128)).toImage();
    ASSERT_EQ(image.size(), QSize(128, 128));
    EXPECT_EQ(image.pixelColor(64, 64), QColor(0xee, 0xf2, 0xfa));
    const QColor tile = image.pixelColor(14, 64);
    EXPECT_LT(tile.lightness(), 90);
    EXPECT_GT(tile.blue(), tile.red() + 40);
}

// An installed icon, or a theme's own drawing of it, wins over the one built in.
TEST(AppIcon, TheIconThemesIconComesFirst) {
    IconThemeScope scope;
    TempFolder icons;
    const std::string hicolor = icons / "hicolor";
    std::filesystem::create_directories(hicolor + "/48x48/apps");
    writeFile(hicolor + "/index.theme",
              "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    QIcon::setThemeSearchPaths({QString::fromStdString(icons.path())});
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    QIcon::setThemeName(QStringLiteral("hicolor"));
    EXPECT_EQ(applicationIcon().pixmap(QSize(48, 48)).toImage().pixelColor(24, 24), QColor(0xee, 0xf2, 0xfa))
        << "no theme icon: the built-in one";

    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(hicolor + "/48x48/apps/tarnwell.Plenwick.png")));
    QIcon::setThemeSearchPaths({QString::fromStdString(icons.path())}); // forgets what it looked up
    EXPECT_EQ(applicationIcon().pixmap(QSize(48, 48)).toImage().pixelColor(24, 24), QColor(Qt::red));
}
