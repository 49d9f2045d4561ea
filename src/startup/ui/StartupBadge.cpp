#include "startup/ui/StartupBadge.h"

#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace plenwick {
namespace {

QFont badgeFont() { return shellFont(ShellTextStyle::caption, QFont::DemiBold); }

constexpr qreal horizontalPadding = 6;
constexpr qreal verticalPadding = 1;
constexpr int lockSide = 10;

} // namespace

StartupBadge::StartupBadge(StartupBadgeContent content, QWidget* parent) : QWidget(parent), content_(std::move(content)) {
    setToolTip(content_.toolTip);
    setAccessibleName(content_.tone == StartupBadgeContent::Tone::lock ? content_.toolTip : content_.text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QColor StartupBadge::color(StartupBadgeContent::Tone tone, const QPalette& palette) {
    const ShellAppearance appearance = shellAppearance(palette);
    switch (tone) {
    case StartupBadgeContent::Tone::orange: return shellOrangeColor(appearance);
    case StartupBadgeContent::Tone::green:
        return appearance == ShellAppearance::dark ? QColor(48, 209, 88) : QColor(40, 167, 69);
    case StartupBadgeContent::Tone::secondary: return shellSecondaryColor(palette);
    case StartupBadgeContent::Tone::lock: return shellWithOpacity(shellPrimaryColor(palette), 0.3); // tertiary
    }
    return shellSecondaryColor(palette);
}

QSize StartupBadge::sizeHint() const {
    if (content_.tone == StartupBadgeContent::Tone::lock) return {lockSide, lockSide};
    const QFontMetricsF metrics(badgeFont());
    return {int(std::ceil(metrics.horizontalAdvance(content_.text) + 2 * horizontalPadding)),
            int(std::ceil(metrics.height() + 2 * verticalPadding))};
}

void StartupBadge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor tint = color(content_.tone, palette());
    if (content_.tone == StartupBadgeContent::Tone::lock) {
        drawSymbol(p, Symbol::lockFill, QRectF(rect()), tint);
        return;
    }
    const QRectF capsule = QRectF(rect());
    const qreal radius = capsule.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(shellWithOpacity(tint, 0.14));
    p.drawRoundedRect(capsule, radius, radius);
    p.setPen(tint);
    p.setFont(badgeFont());
    p.drawText(capsule, Qt::AlignCenter, content_.text);
}

} // namespace plenwick
