#include "shell/WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace plenwick {

std::optional<QRect> placedWindowFrame(QSize frame, const std::optional<QRect>& anchor, const QRect& available,
                                       QSize minimum) {
    if (minimum.width() > available.width() || minimum.height() > available.height()) return std::nullopt;
    QRect placed(QPoint(0, 0), frame.boundedTo(available.size()).expandedTo(minimum));
    placed.moveCenter(anchor ? anchor->center() : available.center());
    placed.moveLeft(std::clamp(placed.left(), available.left(), available.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), available.top(), available.bottom() + 1 - placed.height()));
    return placed;
}

void placeNewWindow(QWidget& window, const QWidget* anchor) {
    const bool anchored = anchor && anchor->isVisible();
    QScreen* screen = anchored ? anchor->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // Without a window to learn it from, the frame is taken to be a title bar.
    QMargins frame(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 0, 0);
    if (anchored) {
        const QRect outer = anchor->frameGeometry(), inner = anchor->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    const std::optional<QRect> placed =
        placedWindowFrame(window.size().grownBy(frame), anchored ? std::optional<QRect>(anchor->frameGeometry()) : std::nullopt,
                          screen->availableGeometry(), window.minimumSize().grownBy(frame));
    if (!placed) return;
    window.resize(placed->size().shrunkBy(frame));
    // A top-level window's position is its frame's.
    window.move(placed->topLeft());
}

} // namespace plenwick
