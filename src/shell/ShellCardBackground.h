#pragma once
// The rounded, bordered, softly shadowed background of every card, and a plain
// container widget that draws it behind its children.

#include <QMarginsF>
#include <QWidget>

class QPainter;
class QPalette;
class QRectF;

namespace plenwick {

struct ShellCardBackground {
    qreal cornerRadius = 12;
    bool highlighted = false; // hovered or otherwise emphasised

    // The shadow's blur radius, its offset downward and its opacity.
    qreal shadowBlur() const { return highlighted ? 12 : 6; }
    qreal shadowOffsetY() const { return highlighted ? 5 : 2; }
    double shadowOpacity() const { return highlighted ? 0.14 : 0.06; }
    // How far the shadow reaches beyond the card on each side.
    QMarginsF shadowMargins() const;

    // Draws the card filling `card`: shadow, fill, then the border inside the edge
    // (the accent at 70 % and 1.5 wide when highlighted, else the card stroke colour
    // and 1 wide). The shadow spills into `shadowMargins()` around `card`.
    void paint(QPainter& painter, const QRectF& card, const QPalette& palette) const;
};

// A widget whose card fills its rectangle less the room of the deeper (highlighted)
// shadow on each side, so that highlighting never moves anything; its contents margins
// add that room to the padding. Layouts that measure from the card's visible edge
// subtract `shadowRoom()`.
class ShellCard : public QWidget {
    Q_OBJECT

public:
    explicit ShellCard(ShellCardBackground background = {}, QWidget* parent = nullptr);

    const ShellCardBackground& background() const noexcept { return background_; }
    void setHighlighted(bool highlighted);
    // Space between the card's edge and its children.
    void setPadding(const QMargins& padding);
    // The room kept around the card for its shadow.
    static QMargins shadowRoom();
    // The card's own rectangle inside the widget.
    QRectF cardRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateMargins();

    ShellCardBackground background_;
    QMargins padding_;
};

} // namespace plenwick
