#include "collector/CollectorPaint.h"

#include "shell/ShellStyle.h"

namespace plenwick {

QFont collectorFont(CollectorFont font) {
    switch (font) {
    case CollectorFont::callout: return shellFont(ShellTextStyle::callout);
    case CollectorFont::calloutSemibold: return shellFont(ShellTextStyle::callout, QFont::DemiBold);
    case CollectorFont::caption: return shellFont(ShellTextStyle::caption);
    case CollectorFont::badge: return shellFont(ShellTextStyle::footnote, QFont::DemiBold);
    case CollectorFont::headline: return shellFont(ShellTextStyle::headline);
    case CollectorFont::total: return shellFont(ShellTextStyle::title3, QFont::DemiBold);
    }
    return shellFont(ShellTextStyle::body);
}

QColor collectorTertiaryColor(const QPalette& palette) { return shellWithOpacity(shellPrimaryColor(palette), 0.28); }

} // namespace plenwick
