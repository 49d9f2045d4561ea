// A few pixels of the table where the picture is the point: the badges on the icons
// of links and unreadable items, the hover highlight, and the share bar's colour.

#include "OutlineTableFixture.h"
#include "outline/OutlineColumns.h"

#include <QImage>

namespace plenwick::test {
namespace {

class OutlinePicturesTest : public OutlineTableTest {
protected:
    QImage picture() { return table().viewport()->grab().toImage(); }
    // A point on the disc of the badge over the row's icon, left of its white mark.
    QPoint badgeDisc(const NodeRef& node) {
        const QRect cell = table().visualRect(indexOf(node));
        const int iconTop = cell.top() + (cell.height() - 16) / 2;
        return QPoint(cell.left() + 2 + 16 - 9 + 2, iconTop + 16 - 9 + 5);
    }
};

TEST_F(OutlinePicturesTest, BadgesHoverAndShareBars) {
    NodeRef root = folder("/scan", {file("big.bin", 600), node("link", FileNode::Kind::symlink, 300),
                                    node("locked", FileNode::Kind::inaccessible, 100)});
    scan(root);
    const QImage image = picture();
    const QColor link = image.pixelColor(badgeDisc(child(root, "link")));
    EXPECT_GT(link.blue(), link.red() + 80) << link.name().toStdString();
    const QColor lock = image.pixelColor(badgeDisc(child(root, "locked")));
    EXPECT_NEAR(lock.red(), lock.blue(), 12);
    EXPECT_LT(lock.lightness(), 200);

    // The share bar of "big.bin" starts in the colour the state gives it.
    const QRect share = table().visualRect(indexOf(child(root, "big.bin")).siblingAtColumn(logicalIndex(OutlineColumn::share)));
    const RGB rgb = state->color(*child(root, "big.bin"));
    const QColor bar = image.pixelColor(share.left() + 6, share.center().y());
    EXPECT_NEAR(bar.redF(), rgb.red, 0.06);
    EXPECT_NEAR(bar.greenF(), rgb.green, 0.06);
    EXPECT_NEAR(bar.blueF(), rgb.blue, 0.06);

    // The hovered row is drawn darker than it was, inside its inset.
    const NodeRef big = child(root, "big.bin");
    const QPoint inRow(14, table().visualRect(indexOf(big)).center().y());
    const QColor before = image.pixelColor(inRow);
    state->setHovered(big);
    const QColor after = picture().pixelColor(inRow);
    EXPECT_LT(after.lightness(), before.lightness());
}

} // namespace
} // namespace plenwick::test
