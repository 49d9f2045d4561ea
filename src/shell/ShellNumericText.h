#pragma once
// A changing figure drawn with monospaced digits (every digit as wide as the widest,
// so the figure does not jitter as it counts), whose changed digits roll upwards into
// place when it changes: the old leaves upwards fading out, the new comes from below.
// Characters are matched from the right, where figures change most, so a figure that
// gains a digit rolls only what changed. Shown at once while motion is reduced or the
// owner is hidden.
//
// Use: a widget keeps one, calls `setText` with each new value and `paint` from its
// paintEvent; it is repainted while the digits roll.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QVariantAnimation>

#include <vector>

class QPainter;
class QWidget;

namespace plenwick {

// One character place of a change: what stood there before and what stands now (a
// null character where the place is new or gone).
struct ShellNumericGlyph {
    QChar before;
    QChar after;
    bool changes() const { return before != after; }
    friend bool operator==(const ShellNumericGlyph&, const ShellNumericGlyph&) = default;
};
std::vector<ShellNumericGlyph> shellNumericGlyphs(const QString& before, const QString& after);

// The width of `text` with every digit as wide as the font's widest.
qreal shellNumericWidth(const QString& text, const QFont& font);

class ShellNumericText final : public QObject {
    Q_OBJECT

public:
    ShellNumericText(QWidget& owner, int durationMs);

    const QString& text() const noexcept { return text_; }
    void setText(const QString& text);
    bool isRolling() const { return animation_.state() == QAbstractAnimation::Running; }
    const QVariantAnimation& animation() const noexcept { return animation_; }

    // Draws the figure in `box`, placed by `alignment`'s horizontal part and centred
    // vertically.
    void paint(QPainter& painter, const QRectF& box, Qt::Alignment alignment, const QFont& font,
               const QColor& color) const;

private:
    QWidget& owner_;
    QString text_;
    QString before_;
    QVariantAnimation animation_;
};

} // namespace plenwick
