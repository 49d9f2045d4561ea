#pragma once
// How one row of the file-type breakdown is drawn: a coloured tile with the row's
// symbol; the title, subtitle and size; a share bar with the file count and the
// percentage. A selected row is tinted with the accent, a hovered one shaded, a dimmed
// one faded. The rows live in a list model; a delegate draws them.

#include "results/FileTypesModel.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <vector>

class QPainter;

namespace plenwick {

struct FileTypesRowState {
    bool selected = false;
    bool dimmed = false;
    bool hovering = false;
};

// Metrics of a row, in logical pixels.
struct FileTypesRowMetrics {
    static constexpr int horizontalPadding = 8, verticalPadding = 5, tile = 22, tileGap = 9, lineGap = 4, subtitleGap = 5, sizeGap = 4;
    static constexpr int barHeight = 4, shareTextWidth = 96, rowSpacing = 2, listInset = 8, scrollBarInset = 2;
    static constexpr double minimumBar = 4;
    // The whole row's height for the fonts of `palette`'s widget.
    static int height(const QFont& font);
    // The filled part of a share bar `width` wide.
    static double barFill(double width, double fraction);
    // A row's rectangle in the list's item rectangle; beside a scroll bar the row
    // gives up its trailing inset (the bar keeps it off the edge already).
    static QRectF rowRect(const QRect& item, bool besideScrollBar);
    // The room for the title and its count on the first line of a row `rowWidth`
    // wide whose size reads `size`.
    static double headingRoom(double rowWidth, const QString& size, const QFont& font);
};

// What the first line shows of the title and subtitle in `room`, the width left of
// the size (which is always whole). The subtitle, a count, stays whole and the title
// gives way first, down to a few letters; only then is the subtitle shortened too.
struct FileTypesRowHeading {
    QString title, subtitle;
};
FileTypesRowHeading fileTypesRowHeading(const FileTypesRow& row, double room, const QFont& font);

// Draws `row` filling `rect`.
void paintFileTypesRow(QPainter& painter, const QRectF& rect, const FileTypesRow& row, FileTypesRowState state,
                       const QPalette& palette, const QFont& font);

class FileTypesListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { selectedRole = Qt::UserRole + 1, dimmedRole };

    using QAbstractListModel::QAbstractListModel;
    void setRows(std::vector<FileTypesRow> rows, std::vector<FileTypesRowState> states);
    const std::vector<FileTypesRow>& rows() const noexcept { return rows_; }
    const FileTypesRow* rowAt(int index) const;
    FileTypesRowState stateAt(int index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<FileTypesRow> rows_;
    std::vector<FileTypesRowState> states_;
};

class FileTypesRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // The rows are drawn at this opacity (while a folder's statistics are computed).
    void setOpacity(double opacity) { opacity_ = opacity; }
    double opacity() const { return opacity_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    double opacity_ = 1;
};

} // namespace plenwick
