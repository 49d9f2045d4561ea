#pragma once
// Where a window of this program opens: whole on its screen, centred on the window it
// belongs with where there is one. Left to itself, a window manager may put a new
// window in a corner, partly off the screen.

#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace plenwick {

// The frame of a window whose frame is `frame` big: centred on `anchor` (none: on
// `available`), then shrunk (never below `minimum`) and moved so that it lies whole in
// `available`. None when `available` cannot hold even `minimum`: such a window is left
// where the window system puts it.
std::optional<QRect> placedWindowFrame(QSize frame, const std::optional<QRect>& anchor, const QRect& available,
                                       QSize minimum);

// Places `window` before it is first shown: centred on `anchor` when that is shown,
// else on the screen, and whole on the screen. The frame the window manager adds is
// taken to be the anchor's, or a title bar without one.
void placeNewWindow(QWidget& window, const QWidget* anchor);

} // namespace plenwick
