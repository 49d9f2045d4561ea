#pragma once
// The inspector's vertical split: the first item (the scrolled details) gets the
// height it asks for at the full width, but never so much that less than
// `minimumBottomHeight` is left below it, and never less than nothing; every further
// item gets the rest below it, all in the same frame. An owner can refine the first
// item's height (see setTopHeight).

#include <QLayout>
#include <QList>

#include <functional>
#include <optional>
#include <vector>

namespace plenwick {

class ShellInspectorLayout final : public QLayout {
public:
    // Where the parts go in a column `height` high whose first item wants `topWanted`.
    struct Split {
        double topHeight = 0;
        double bottomTop = 0; // the further items' top, from the column's top
        double bottomHeight = 0;
        friend bool operator==(const Split&, const Split&) = default;
    };
    static Split split(double height, double minimumBottomHeight, double topWanted);
    // The first item's share of a column `height` high when only its leading part
    // (`essential`, the details) comes before the further items: those then get up to
    // `bottomWanted`, and the first item's rest (up to `topWanted`) the room they leave.
    // The further items keep at least `minimumBottomHeight` as in `split`, or
    // `bottomWanted` when that is less.
    static double topShare(double height, double minimumBottomHeight, double essential, double topWanted,
                           double bottomWanted);
    // The largest of `rowBottoms` (ascending) not above `limit`: a height at which the
    // first item cuts none of its rows; `limit` itself when even the first row is taller.
    static int wholeRowsHeight(int limit, const std::vector<int>& rowBottoms);

    // Decides the first item's height in a column of `height` at `width`: set by an
    // owner whose items share the height by rules of their own (see topShare). Without
    // it the first item gets `split`'s height.
    using TopHeight = std::function<int(int width, int height, int minimumBottomHeight)>;
    void setTopHeight(TopHeight topHeight) { topHeight_ = std::move(topHeight); }
    // The layout's size for a proposal: the proposed width (300 without one); the
    // proposed height, or without one the minimum bottom height plus what the first item
    // wants at that width (`topHeightAt`, absent without items).
    static QSizeF sizeThatFits(std::optional<double> width, std::optional<double> height, double minimumBottomHeight,
                               const std::function<double(double)>& topHeightAt);

    explicit ShellInspectorLayout(double minimumBottomHeight, QWidget* parent = nullptr);
    ~ShellInspectorLayout() override;

    double minimumBottomHeight() const noexcept { return minimumBottomHeight_; }

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal | Qt::Vertical; }

private:
    double topHeightAt(int width) const;

    double minimumBottomHeight_;
    QList<QLayoutItem*> items_;
    TopHeight topHeight_;
};

} // namespace plenwick
