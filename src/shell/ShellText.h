#pragma once
// One line of text in a shared text style and tone, shortened with an ellipsis when
// it has less room than it wants (in the middle for paths and names). The colour is
// taken from the palette when painting, so it follows the appearance.

#include "shell/ShellStyle.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

namespace plenwick {

class ShellText : public QWidget {
    Q_OBJECT

public:
    enum class Tone { primary, secondary };

    explicit ShellText(const QString& text = {}, QWidget* parent = nullptr);

    const QString& text() const noexcept { return text_; }
    void setText(const QString& text);
    // The text style's font, with an optional weight; monospaced for paths.
    void setTextStyle(ShellTextStyle style, std::optional<QFont::Weight> weight = std::nullopt, bool monospaced = false);
    void setTone(Tone tone);
    // A colour of its own in place of the tone (none: the tone's).
    void setTint(std::optional<QColor> tint);
    std::optional<QColor> tint() const { return tint_; }
    void setElideMode(Qt::TextElideMode mode);
    void setAlignment(Qt::Alignment alignment);
    // The text as shown at the current width.
    QString shownText() const;
    // The colour the text is drawn in.
    QColor textColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The height of one line: the font's, or more where its lowest glyphs need it.
    int lineHeight() const;

    QString text_;
    Tone tone_ = Tone::primary;
    std::optional<QColor> tint_;
    Qt::TextElideMode elideMode_ = Qt::ElideRight;
    Qt::Alignment alignment_ = Qt::AlignCenter;
};

} // namespace plenwick
