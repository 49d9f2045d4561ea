#include "startup/ui/StartupSwitch.h"

#include "shell/ShellStyle.h"

#include <QPainter>

namespace plenwick {

StartupSwitch::StartupSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

void StartupSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    const ShellAppearance appearance = shellAppearance(palette());
    QColor fill = isChecked() ? shellAccentColor(palette()) : shellRingTrackColor(appearance);
    if (!isEnabled()) fill = shellWithOpacity(fill, 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);

    const qreal inset = 1.5;
    const qreal knob = track.height() - 2 * inset;
    const qreal x = isChecked() ? track.right() - inset - knob : track.left() + inset;
    const QRectF knobRect(x, track.top() + inset, knob, knob);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(knobRect.translated(0, 0.5));
    p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(235, 235, 235));
    p.drawEllipse(knobRect);
    if (hasFocus()) {
        p.setPen(QPen(shellWithOpacity(shellAccentColor(palette()), 0.6), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(track, radius, radius);
    }
}

} // namespace plenwick
