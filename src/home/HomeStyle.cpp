#include "home/HomeStyle.h"

#include "shell/ShellStyle.h"

#include <QFontDatabase>
#include <QPalette>

namespace plenwick {

namespace {
bool isDark(const QPalette& palette) { return shellAppearance(palette) == ShellAppearance::dark; }
} // namespace

QColor homeTertiaryColor(const QPalette& palette) {
    return shellWithOpacity(palette.color(QPalette::WindowText), isDark(palette) ? 0.25 : 0.26);
}

QColor homeRedColor(const QPalette& palette) { return isDark(palette) ? QColor(255, 69, 58) : QColor(255, 59, 48); }

QColor homeGreenColor(const QPalette& palette) { return isDark(palette) ? QColor(48, 209, 88) : QColor(40, 205, 65); }

QColor homePurpleColor(const QPalette& palette) { return isDark(palette) ? QColor(191, 90, 242) : QColor(175, 82, 222); }

QFont homeTitleFont() {
    QFont font = shellFont(ShellTextStyle::largeTitle, QFont::Bold);
    font.setPixelSize(30);
    // A rounded face when the desktop has one; the application font otherwise.
    static const QString rounded = [] {
        for (const QString& family : {QStringLiteral("Nunito"), QStringLiteral("Varela Round"), QStringLiteral("M PLUS Rounded 1c")})
            if (QFontDatabase::hasFamily(family)) return family;
        return QString();
    }();
    if (!rounded.isEmpty()) font.setFamily(rounded);
    return font;
}

} // namespace plenwick
