#pragma once
// The outline's tree table: a QTreeView that reports the row under the mouse, hands
// keys, double clicks and context-menu requests to its coordinator first, draws the
// hover highlight behind the hovered row, drags rows out as files and type-selects
// by name. What any of these do is the coordinator's business.

#include <QTreeView>

namespace plenwick {

class FileNode;

class OutlineTableView final : public QTreeView {
    Q_OBJECT

public:
    explicit OutlineTableView(QWidget* parent = nullptr);

    FileNode* nodeAt(const QPoint& viewportPos) const;
    // The node of the selected row; null when none is selected.
    FileNode* selectedNode() const;
    // The row drawn with the hover highlight (null: none).
    void setHoverNode(const FileNode* node);
    const FileNode* hoverNode() const noexcept { return hoverNode_; }
    // Reports the row now under a resting mouse, when the window is active and the
    // mouse is over the rows; after the list scrolled it runs once the event loop turns.
    void rehoverUnderMouse();
    // Lays out the rows at once, so that a scroll position set next is kept.
    void layoutNow();
    // The rectangle of the row of `index` across the whole viewport.
    QRect rowRect(const QModelIndex& index) const;
    // The narrowest name cell of a row; one indented deeper shows its name in this
    // room at the end of the name column.
    int nameRoom() const;

    void keyboardSearch(const QString& search) override;
    // Scrolls up or down to show `index`, never sideways: the name column stays where
    // the user left it, whichever row is revealed.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // The node of the row under the mouse, or null when it left the rows.
    void rowHovered(plenwick::FileNode* node);
    // A key press. A receiver that handles it accepts it, and the table's own
    // handling is skipped.
    void keyPressed(QKeyEvent* event);
    // A context-menu request over a row (null below the last row), in global coordinates.
    void contextMenuRequested(plenwick::FileNode* node, QPoint globalPos);
    // A drag of the rows starts.
    void dragStarted();
    // The viewport's width changed (also the first time it has one).
    void viewportResized();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void noteViewportWidth();
    // The logical column that holds the tree's indentation.
    int treeColumn() const;
    // Whether the row of `index` is indented so deep that its name is drawn at the end
    // of the name column.
    bool drawsNameAtColumnEnd(const QModelIndex& index) const;
    void drawDeepName(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    const FileNode* hoverNode_ = nullptr;
    bool rehoverQueued_ = false;
    int lastViewportWidth_ = 0;
};

} // namespace plenwick
