#include "results/FileTypesRowView.h"

#include "platform/ByteCountFormatter.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QScrollBar>
#include <QPainterPath>

#include <algorithm>

namespace plenwick {

namespace {

QColor colorOf(const RGB& rgb) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green), static_cast<float>(rgb.blue));
}

QFont titleFont(const QFont& base) {
    QFont f = shellFont(ShellTextStyle::body, QFont::Medium);
    f.setFamily(base.family());
    return f;
}

// The category's symbol; a name without a drawing of its own is a dot.
void drawCategorySymbol(QPainter& p, const std::string& name, const QRectF& box, const QColor& color) {
    if (const std::optional<Symbol> symbol = symbolNamed(name)) return drawSymbol(p, *symbol, box, color);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(box.center(), box.width() / 4, box.width() / 4);
    p.restore();
}

} // namespace

int FileTypesRowMetrics::height(const QFont& font) {
    const int first = QFontMetrics(titleFont(font)).height();
    const int second = std::max(barHeight, QFontMetrics(shellFont(ShellTextStyle::caption)).height());
    return 2 * verticalPadding + std::max(tile, first + lineGap + second);
}

double FileTypesRowMetrics::barFill(double width, double fraction) {
    return std::max(minimumBar, width * fraction);
}

QRectF FileTypesRowMetrics::rowRect(const QRect& item, bool besideScrollBar) {
    return QRectF(item).adjusted(listInset, 0, -(besideScrollBar ? scrollBarInset : listInset), -rowSpacing);
}

double FileTypesRowMetrics::headingRoom(double rowWidth, const QString& size, const QFont& font) {
    const double sizeWidth = QFontMetricsF(titleFont(font)).horizontalAdvance(size);
    return std::max(0.0, rowWidth - 2 * horizontalPadding - tile - tileGap - sizeWidth - sizeGap);
}

FileTypesRowHeading fileTypesRowHeading(const FileTypesRow& row, double room, const QFont& font) {
    using M = FileTypesRowMetrics;
    const QFontMetricsF titleMetrics(titleFont(font)), captionMetrics(shellFont(ShellTextStyle::caption));
    const double subtitleWidth = row.subtitle.isEmpty() ? 0 : captionMetrics.horizontalAdvance(row.subtitle) + M::subtitleGap;
    const double leastTitle = titleMetrics.horizontalAdvance(QStringLiteral("Abc…"));
    const double titleRoom = room - subtitleWidth;
    if (titleRoom >= std::min(leastTitle, titleMetrics.horizontalAdvance(row.title)))
        return {titleMetrics.elidedText(row.title, Qt::ElideRight, titleRoom), row.subtitle};
    const QString title = titleMetrics.elidedText(row.title, Qt::ElideRight, room);
    const double subtitleRoom = room - titleMetrics.horizontalAdvance(title) - M::subtitleGap;
    return {title, subtitleRoom > 8 ? captionMetrics.elidedText(row.subtitle, Qt::ElideRight, subtitleRoom) : QString()};
}

void paintFileTypesRow(QPainter& p, const QRectF& rect, const FileTypesRow& row, FileTypesRowState state,
                       const QPalette& palette, const QFont& font) {
    using M = FileTypesRowMetrics;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(p.opacity() * (state.dimmed ? 0.55 : 1.0));
    const QColor accent = shellAccentColor(palette);
    QPainterPath background;
    background.addRoundedRect(rect, 7, 7);
    if (state.selected) p.fillPath(background, shellWithOpacity(accent, 0.16));
    else if (state.hovering) p.fillPath(background, shellWithOpacity(shellPrimaryColor(palette), 0.05));
    if (state.selected) {
        p.setPen(QPen(shellWithOpacity(accent, 0.55), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 6.5, 6.5);
    }

    const QRectF inner = rect.adjusted(M::horizontalPadding, M::verticalPadding, -M::horizontalPadding, -M::verticalPadding);
    const QColor color = colorOf(row.rgb);
    const QRectF tile(inner.left(), inner.center().y() - M::tile / 2.0, M::tile, M::tile);
    p.setPen(Qt::NoPen);
    p.setBrush(shellColorGradient(color, tile));
    p.drawRoundedRect(tile, 5, 5);
    const QRectF glyph = tile.adjusted(6, 6, -6, -6);
    drawCategorySymbol(p, row.symbolName, glyph.translated(0, 0.5), QColor(0, 0, 0, 64));
    drawCategorySymbol(p, row.symbolName, glyph, Qt::white);

    const double left = tile.right() + M::tileGap;
    const double width = std::max(0.0, inner.right() - left);
    const QFont title = titleFont(font);
    const QFont caption = shellFont(ShellTextStyle::caption);
    const QFontMetricsF titleMetrics(title), captionMetrics(caption);
    const double firstHeight = titleMetrics.height();
    const double secondHeight = std::max<double>(M::barHeight, captionMetrics.height());
    const double top = inner.center().y() - (firstHeight + M::lineGap + secondHeight) / 2;
    const double baseline = top + titleMetrics.ascent();

    // First line: title, subtitle, size.
    const QString size = QString::fromStdString(formatByteCount(row.size));
    const double sizeWidth = titleMetrics.horizontalAdvance(size);
    const double sizeLeft = left + width - sizeWidth;
    p.setFont(title);
    p.setPen(shellPrimaryColor(palette));
    p.drawText(QPointF(sizeLeft, baseline), size);
    const FileTypesRowHeading heading = fileTypesRowHeading(row, M::headingRoom(rect.width(), size, font), font);
    p.drawText(QPointF(left, baseline), heading.title);
    if (!heading.subtitle.isEmpty()) {
        p.setFont(caption);
        p.setPen(shellSecondaryColor(palette));
        p.drawText(QPointF(left + titleMetrics.horizontalAdvance(heading.title) + M::subtitleGap, baseline),
                   heading.subtitle);
    }

    // Second line: bar, then the share text.
    const double secondTop = top + firstHeight + M::lineGap;
    const double shareWidth = std::max<double>(M::shareTextWidth, captionMetrics.horizontalAdvance(
                                                                      fileTypesShareText(row.count, row.fraction)));
    const double barWidth = std::max(0.0, width - shareWidth - 6);
    const QRectF track(left, secondTop + (secondHeight - M::barHeight) / 2, barWidth, M::barHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(shellWithOpacity(shellPrimaryColor(palette), 0.1));
    p.drawRoundedRect(track, 2, 2);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(track.left(), track.top(), M::barFill(barWidth, row.fraction), M::barHeight), 2, 2);
    p.setFont(caption);
    p.setPen(shellSecondaryColor(palette));
    p.drawText(QRectF(left + width - shareWidth, secondTop, shareWidth, secondHeight), Qt::AlignRight | Qt::AlignVCenter,
               fileTypesShareText(row.count, row.fraction));
    p.restore();
}

void FileTypesListModel::setRows(std::vector<FileTypesRow> rows, std::vector<FileTypesRowState> states) {
    if (rows == rows_) {
        states_ = std::move(states);
        if (!rows_.empty()) emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    states_ = std::move(states);
    endResetModel();
}

const FileTypesRow* FileTypesListModel::rowAt(int index) const {
    return index >= 0 && index < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(index)] : nullptr;
}

FileTypesRowState FileTypesListModel::stateAt(int index) const {
    return index >= 0 && index < static_cast<int>(states_.size()) ? states_[static_cast<std::size_t>(index)]
                                                                  : FileTypesRowState{};
}

int FileTypesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant FileTypesListModel::data(const QModelIndex& index, int role) const {
    const FileTypesRow* row = rowAt(index.row());
    if (!row) return {};
    const FileTypesRowState state = stateAt(index.row());
    switch (role) {
    case Qt::DisplayRole: return row->title;
    case Qt::ToolTipRole: return fileTypesRowHelp(row->title, state.selected);
    case Qt::AccessibleTextRole:
        return row->title + QStringLiteral(", ") + row->subtitle + QStringLiteral(", ") +
               QString::fromStdString(formatByteCount(row->size)) + QStringLiteral(", ") +
               fileTypesShareText(row->count, row->fraction);
    case selectedRole: return state.selected;
    case dimmedRole: return state.dimmed;
    default: return {};
    }
}

void FileTypesRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* model = static_cast<const FileTypesListModel*>(index.model());
    const FileTypesRow* row = model->rowAt(index.row());
    if (!row) return;
    FileTypesRowState state = model->stateAt(index.row());
    state.hovering = option.state & QStyle::State_MouseOver;
    const auto* list = qobject_cast<const QAbstractScrollArea*>(option.widget);
    const QRectF rect = FileTypesRowMetrics::rowRect(option.rect, list && list->verticalScrollBar()->isVisible());
    painter->save();
    painter->setOpacity(opacity_);
    paintFileTypesRow(*painter, rect, *row, state, option.palette, option.font);
    painter->restore();
}

QSize FileTypesRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(200, FileTypesRowMetrics::height(option.font) + FileTypesRowMetrics::rowSpacing);
}

} // namespace plenwick
