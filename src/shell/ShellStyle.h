#pragma once
// The shared look of every screen: the colours that follow the light or dark
// appearance, the colours taken from the palette, the text styles, and the soft
// gradient a filled shape of one colour is drawn with.
//
// Qt has no colour-scheme API here, so the appearance is read at paint time from the
// palette's window colour: a dark window means the dark set. Views call these while
// painting, so a palette change repaints them in the other set.

#include <QColor>
#include <QFont>
#include <QLinearGradient>

#include <optional>

class QPainter;
class QPalette;
class QRectF;
class QWidget;

namespace plenwick {

enum class ShellAppearance { light, dark };

// Dark when the window colour's lightness is below one half.
ShellAppearance shellAppearance(const QPalette& palette);
ShellAppearance shellAppearance(const QWidget& widget);

// ---- Colours that follow the appearance (light | dark) ----
// The inside of cards and chips: white | white at 6.5 %.
QColor shellCardFillColor(ShellAppearance appearance);
// The border of a card that is not highlighted: black at 8 % | white at 10 %.
QColor shellCardStrokeColor(ShellAppearance appearance);
// The unfilled track of gauges and share bars: black at 9 % | white at 13 %.
QColor shellRingTrackColor(ShellAppearance appearance);
// The grey of space no item accounts for, opaque.
QColor shellNeutralFillColor(ShellAppearance appearance);
// Dividers between neighbouring items: black at 10 % | white at 10 %.
QColor shellSeparatorColor(ShellAppearance appearance);
// The warning orange.
QColor shellOrangeColor(ShellAppearance appearance);

// ---- Colours of the palette ----
// The accent: the palette's highlight.
QColor shellAccentColor(const QPalette& palette);
// The background of whole screens: the palette's window colour.
QColor shellWindowBackgroundColor(const QPalette& palette);
// Text and strokes in the primary style: the palette's window text.
QColor shellPrimaryColor(const QPalette& palette);
// Text in the secondary style: the window text at 50 % (light) or 55 % (dark).
QColor shellSecondaryColor(const QPalette& palette);

// `color` with its alpha multiplied by `opacity`.
QColor shellWithOpacity(QColor color, double opacity);

// Device pixels per logical pixel of what `painter` draws on: the painter's own scale,
// which also holds when a widget is rendered into an image of another resolution.
qreal shellPaintScale(const QPainter& painter);

// ---- Text styles, sized in logical pixels ----
enum class ShellTextStyle {
    largeTitle,  // 26
    title,       // 22
    title2,      // 17
    title3,      // 15
    headline,    // 13, semibold
    body,        // 13
    callout,     // 12
    subheadline, // 11
    footnote,    // 10
    caption,     // 10
};
int shellTextPixelSize(ShellTextStyle style);
// The application's font at the style's size; `weight` overrides the style's own.
QFont shellFont(ShellTextStyle style, std::optional<QFont::Weight> weight = std::nullopt);
// The system's fixed-pitch font at the style's size.
QFont shellMonospacedFont(ShellTextStyle style, std::optional<QFont::Weight> weight = std::nullopt);

// The gradient a shape filled with `color` is drawn with: from a little lighter at the
// top of `rect` to a little darker at its bottom; alpha kept.
QLinearGradient shellColorGradient(const QColor& color, const QRectF& rect);

} // namespace plenwick
