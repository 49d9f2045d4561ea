#include "shell/WrappedToolTip.h"

#include <QFontMetrics>
#include <QToolTip>

namespace plenwick {

QString wrappedToolTip(const QString& text) {
    if (QFontMetrics(QToolTip::font()).horizontalAdvance(text) <= kWrappedToolTipWidth) return text;
    return QStringLiteral("<table width=\"%1\"><tr><td>").arg(kWrappedToolTipWidth) + text.toHtmlEscaped() +
           QStringLiteral("</td></tr></table>");
}

} // namespace plenwick
