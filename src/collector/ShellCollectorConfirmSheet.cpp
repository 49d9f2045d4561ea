#include "collector/ShellCollectorConfirmSheet.h"

#include "collector/CollectorPaint.h"
#include "collector/CollectorRowList.h"
#include "collector/CollectorTexts.h"
#include "shell/Divider.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellProminentButton.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace plenwick {

namespace {

constexpr int kIconSize = 26;

// The white bin on a red disc, the title and the subtitle.
class SheetHeader final : public QWidget {
public:
    explicit SheetHeader(const ShellCollectorConfirmSheet& sheet) : QWidget(nullptr), sheet_(sheet) {}

    int heightFor(int width) const {
        const QRect text = textRect(width);
        const QFontMetrics title(titleFont()), subtitle(shellFont(ShellTextStyle::body));
        const int subtitleHeight =
            subtitle.boundingRect(QRect(0, 0, text.width(), 1000), Qt::TextWordWrap, sheet_.subtitle()).height();
        return std::max(40, title.height() + 4 + subtitleHeight) + 40;
    }
    // The sheet's width comes from here: its layout keeps it at its content's size.
    QSize sizeHint() const override { return QSize(ShellCollectorConfirmSheet::kWidth, heightFor(ShellCollectorConfirmSheet::kWidth)); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF disc(20, 20, 40, 40);
        p.setPen(Qt::NoPen);
        p.setBrush(shellDestructiveColor());
        p.drawEllipse(disc);
        drawSymbol(p, Symbol::trashFill, disc.adjusted(10, 9, -10, -11), Qt::white);
        const QRect text = textRect(width());
        p.setFont(titleFont());
        p.setPen(shellPrimaryColor(palette()));
        const int titleHeight = QFontMetrics(p.font()).height();
        p.drawText(QRect(text.left(), text.top(), text.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   sheet_.title());
        p.setFont(shellFont(ShellTextStyle::body));
        p.setPen(shellSecondaryColor(palette()));
        p.drawText(QRect(text.left(), text.top() + titleHeight + 4, text.width(), text.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, sheet_.subtitle());
    }

private:
    static QFont titleFont() { return shellFont(ShellTextStyle::title3, QFont::DemiBold); }
    static QRect textRect(int width) { return QRect(20 + 40 + 14, 20, width - 20 - 40 - 14 - 20, 1000); }
    const ShellCollectorConfirmSheet& sheet_;
};

class TotalLine final : public QWidget {
public:
    explicit TotalLine(const ShellCollectorConfirmSheet& sheet) : sheet_(sheet) {
        setFixedHeight(QFontMetrics(font()).height() + 20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QFont bold = shellFont(ShellTextStyle::body, QFont::DemiBold);
        p.setFont(bold);
        p.setPen(shellPrimaryColor(palette()));
        const QRect inside = rect().adjusted(20, 10, -20, -10);
        p.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Total"));
        p.drawText(inside, Qt::AlignRight | Qt::AlignVCenter, collectorFigureText(sheet_.total()));
    }

private:
    const ShellCollectorConfirmSheet& sheet_;
};

} // namespace

ShellCollectorConfirmSheet::ShellCollectorConfirmSheet(std::vector<NodeRef> items, CollectorLeftovers leftovers,
                                                       QWidget* parent)
    : QDialog(parent), items_(std::move(items)), leftovers_(std::move(leftovers)) {
    setObjectName(QStringLiteral("CollectorConfirmSheet"));
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Move to Trash"));
    setFixedWidth(kWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* header = new SheetHeader(*this);
    header->setParent(this);
    header_ = header;
    layout->addWidget(header_);
    layout->addWidget(new Divider(Qt::Horizontal, this));
    list_ = new CollectorRowList(kRowHeight, 6, this);
    layout->addWidget(list_);
    layout->addWidget(new Divider(Qt::Horizontal, this));
    totalLine_ = new TotalLine(*this);
    totalLine_->setParent(this);
    layout->addWidget(totalLine_);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(20, 4, 20, 20);
    buttons->setSpacing(10);
    buttons->addStretch(1);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setAutoDefault(false);
    confirmButton_ = new QPushButton(QStringLiteral("Move to Trash"), this);
    confirmButton_->setDefault(true);
    makeShellProminent(confirmButton_, shellDestructiveColor(), cancelButton_->sizeHint().height() + 4);
    cancelButton_->setFixedHeight(confirmButton_->height());
    buttons->addWidget(cancelButton_);
    buttons->addWidget(confirmButton_);
    layout->addLayout(buttons);

    connect(cancelButton_, &QPushButton::clicked, this, &ShellCollectorConfirmSheet::reject);
    connect(confirmButton_, &QPushButton::clicked, this, &ShellCollectorConfirmSheet::accept);
    refresh();
}

void ShellCollectorConfirmSheet::setContent(std::vector<NodeRef> items, CollectorLeftovers leftovers,
                                            CollectorKeptBytes kept,
                                            std::shared_ptr<const VolumeNameMap> volumeNames) {
    items_ = std::move(items);
    leftovers_ = std::move(leftovers);
    kept_ = std::move(kept);
    volumeNames_ = std::move(volumeNames);
    refresh();
}

CollectorFigure ShellCollectorConfirmSheet::total() const { return collectorTotalFigure(items_, leftovers_, kept_); }

std::int64_t ShellCollectorConfirmSheet::itemCount() const { return collectorConfirmItemCount(items_, leftovers_); }

QString ShellCollectorConfirmSheet::title() const { return collectorConfirmTitle(itemCount()); }

QString ShellCollectorConfirmSheet::subtitle() const { return collectorConfirmSubtitle(total()); }

QString ShellCollectorConfirmSheet::rowSubtitle(const FileNode& item) const {
    const auto it = leftovers_.find(retainNode(const_cast<FileNode*>(&item)));
    const auto kept = kept_.find(&item);
    return collectorRowSubtitle(item, it == leftovers_.end() ? 0 : it->second.size(),
                                kept == kept_.end() ? 0 : kept->second);
}

void ShellCollectorConfirmSheet::refresh() {
    std::vector<CollectorRowList::Row> rows;
    rows.reserve(items_.size());
    for (const NodeRef& item : items_) {
        CollectorRowList::Row row;
        row.node = item;
        const QString name = QString::fromStdString(displayName(*item, *volumeNames_));
        const QString subtitle = rowSubtitle(*item);
        const QString size = collectorFigureText(collectorItemFigure(*item, leftovers_));
        row.paint = [this, item, name, subtitle, size](QPainter& p, const QRectF& rect, bool) {
            p.save();
            const qreal midY = rect.center().y();
            paintShellIcon(p, fileIconForNode(*item), QRectF(rect.left() + 20, midY - kIconSize / 2.0, kIconSize, kIconSize));
            const QFont body = shellFont(ShellTextStyle::body);
            const QFont caption = collectorFont(CollectorFont::caption);
            const QFontMetricsF bodyMetrics(body), captionMetrics(caption);
            const qreal sizeWidth = bodyMetrics.horizontalAdvance(size) + 1;
            const qreal right = rect.right() - 20;
            const qreal x = rect.left() + 20 + kIconSize + 10;
            const qreal textWidth = std::max<qreal>(0, right - sizeWidth - 12 - x);
            const qreal top = midY - (bodyMetrics.height() + 1 + captionMetrics.height()) / 2;
            p.setFont(body);
            p.setPen(shellPrimaryColor(palette()));
            p.drawText(QRectF(x, top, textWidth, bodyMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       bodyMetrics.elidedText(name, Qt::ElideRight, textWidth));
            p.drawText(QRectF(right - sizeWidth, rect.top(), sizeWidth, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                       size);
            p.setFont(caption);
            p.setPen(shellSecondaryColor(palette()));
            p.drawText(QRectF(x, top + bodyMetrics.height() + 1, textWidth, captionMetrics.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, captionMetrics.elidedText(subtitle, Qt::ElideMiddle, textWidth));
            p.restore();
        };
        rows.push_back(std::move(row));
    }
    list_->setRows(std::move(rows));
    list_->setFixedHeight(collectorConfirmListHeight(items_.size()));
    header_->setFixedHeight(static_cast<SheetHeader*>(header_)->heightFor(kWidth));
    header_->update();
    totalLine_->update();
}

void ShellCollectorConfirmSheet::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        confirmButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ShellCollectorConfirmSheet::accept() {
    if (std::exchange(answered_, true)) return;
    QDialog::accept();
}

void ShellCollectorConfirmSheet::reject() {
    if (std::exchange(answered_, true)) return;
    QDialog::reject();
}

} // namespace plenwick
