#pragma once
// Paints the outline's cells: the name with its icon, badge, detail line and
// collected mark; the right-aligned size, item count and date; the share bar with
// its percentage. Everything shown comes from OutlineCellContent; this only paints.

#include <QStyledItemDelegate>

namespace plenwick {

class OutlineTableCoordinator;

class OutlineCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    OutlineCellDelegate(const OutlineTableCoordinator& coordinator, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    const OutlineTableCoordinator& coordinator_;
};

} // namespace plenwick
