#include "results/InspectorView.h"

#include "app/AppState.h"
#include "outline/OutlinePlaceholder.h"
#include "results/FileTypesView.h"
#include "results/ShellDiskUsageSummary.h"
#include "results/ShellInspectorDetails.h"
#include "results/ShellInspectorLayout.h"
#include "shell/Divider.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace plenwick {

namespace {

// The scrolled upper part: asked for its height at a width, it answers with its
// content's, so that the split gives the details what they need.
class UpperScroll final : public QScrollArea {
public:
    explicit UpperScroll(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    void watch(QWidget* content) {
        setWidget(content);
        content->installEventFilter(this);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        QWidget* content = widget();
        if (!content || !content->layout()) return 0;
        return content->layout()->totalHeightForWidth(width);
    }
    // The scrolled rows end `gap` above the part's bottom, so that the last one shown
    // shows whole; the part keeps its height.
    void setBottomGap(int gap) {
        if (gap == gap_) return;
        gap_ = gap;
        setViewportMargins(0, 0, 0, gap);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }

private:
    int gap_ = 0;
};

// Holds the disk-usage card's place in the column at the card's visible size and lays
// the card over it, larger by the room of its shadow, so that its edge lines up with
// the details while the shadow spills into the inset. Shown while the card is.
class CardSlot final : public QWidget {
public:
    CardSlot(QWidget* card, QWidget* parent) : QWidget(parent), card_(card) {
        card_->setParent(parent);
        card_->installEventFilter(this);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setVisible(!card_->isHidden());
    }
    QSize sizeHint() const override {
        const QMargins room = ShellCard::shadowRoom();
        const QSize hint = card_->sizeHint();
        return QSize(std::max(0, hint.width() - room.left() - room.right()),
                     std::max(0, hint.height() - room.top() - room.bottom()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == card_) {
            switch (event->type()) {
            case QEvent::ShowToParent:
            case QEvent::HideToParent: setVisible(!card_->isHidden()); break;
            case QEvent::LayoutRequest: updateGeometry(); break;
            default: break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    void moveEvent(QMoveEvent*) override { place(); }
    void resizeEvent(QResizeEvent*) override { place(); }

private:
    void place() { card_->setGeometry(geometry().marginsAdded(ShellCard::shadowRoom())); }
    QWidget* card_;
};

} // namespace

InspectorView::InspectorView(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("InspectorView"));
    setAccessibleName(QStringLiteral("Inspector"));
    setMinimumWidth(kMinimumWidth);
    auto* split = new ShellInspectorLayout(kMinimumBottomHeight, this);

    auto* scroll = new UpperScroll(this);
    scroll_ = scroll;
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("InspectorUpperContent"));
    auto* items = new QVBoxLayout(content);
    items->setContentsMargins(kInset, kInset, kInset, kInset);
    items->setSpacing(kSpacing);
    details_ = new ShellInspectorDetails(state_, content);
    auto* noSelection = new OutlinePlaceholder(content);
    noSelection->setContent(
        [](QPainter& p, const QRectF& box, const QColor& color) { drawSymbol(p, Symbol::cursorArrowClick, box, color); },
        QStringLiteral("No Selection"), QStringLiteral("Click an item to see its details."));
    placeholder_ = noSelection;
    diskUsage_ = new ShellDiskUsageSummary(state_, content);
    cardSlot_ = new CardSlot(diskUsage_, content);
    items->addWidget(details_);
    items->addWidget(placeholder_);
    items->addWidget(cardSlot_);
    items->addStretch(1);
    scroll->watch(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    split->addWidget(scroll);

    lower_ = new QWidget(this);
    auto* lower = new QVBoxLayout(lower_);
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    lower->addWidget(new Divider(Qt::Horizontal, lower_));
    auto* heading = new ShellText(QStringLiteral("File Types"), lower_);
    heading->setTextStyle(ShellTextStyle::headline);
    heading->setAlignment(Qt::AlignLeft);
    heading->setContentsMargins(kInset, 12, kInset, 6);
    heading->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    lower->addWidget(heading);
    fileTypes_ = new FileTypesView(state_, lower_);
    lower->addWidget(fileTypes_, 1);
    split->addWidget(lower_);
    split->setTopHeight(
        [this](int width, int height, int minimumBottom) { return upperHeight(width, height, minimumBottom); });

    connect(details_, &ShellInspectorDetails::contextMenuRequested, this, &InspectorView::contextMenuRequested);
    connect(&state_, &AppState::changed, this, &InspectorView::onChanged);
    showNode();
}

std::vector<int> InspectorView::upperBreaksAt(int width, int& essential) const {
    // The content's column: inset, the details or the placeholder, then the card.
    const int inner = width - 2 * kInset;
    std::vector<ShellInspectorDetails::Row> rows;
    int bottom = kInset;
    if (!details_->isHidden()) {
        for (const ShellInspectorDetails::Row& row : details_->rowsAt(inner))
            rows.push_back({kInset + row.top, kInset + row.bottom});
        bottom += details_->heightForWidth(inner);
    } else if (!placeholder_->isHidden()) {
        bottom += placeholder_->sizeHint().height();
        rows.push_back({kInset, bottom});
    }
    const int full = scroll_->heightForWidth(width);
    essential = std::min(full, bottom + kInset);
    if (!cardSlot_->isHidden()) {
        const int top = bottom + kSpacing;
        rows.push_back({top, top + cardSlot_->sizeHint().height()});
    }
    // A height may end below a row, up to the inset, but not inside the next one.
    std::vector<int> breaks;
    for (const ShellInspectorDetails::Row& row : rows) {
        int next = full;
        for (const ShellInspectorDetails::Row& other : rows)
            if (other.top >= row.bottom) next = std::min(next, other.top);
        breaks.push_back(std::min(row.bottom + kInset, next));
    }
    breaks.push_back(full);
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    return breaks;
}

int InspectorView::lowerHeight(std::optional<int> rows) const {
    // Asked afresh: the breakdown's rows change without the layouts above it knowing.
    int wanted = 0;
    const QLayout* column = lower_->layout();
    for (int i = 0; i < column->count(); ++i) {
        QLayoutItem* item = column->itemAt(i);
        if (item->isEmpty()) continue;
        if (item->widget() != fileTypes_)
            wanted += item->sizeHint().height();
        else
            wanted += rows ? fileTypes_->heightShowingRows(*rows) : fileTypes_->sizeHint().height();
    }
    return wanted;
}

int InspectorView::upperHeight(int width, int height, int minimumBottom) const {
    const int bottomWanted = lowerHeight(std::nullopt);
    // The breakdown keeps its least room, and more where the font needs more to show
    // two of its rows under its heading and controls, taken from the details down to
    // what they keep in any column.
    const int bottomLeast =
        std::max(minimumBottom, std::min(lowerHeight(kLeastRows), height - kDetailsKept));
    // The details come whole before the breakdown, which then gets the room its rows
    // want; the card takes what they leave.
    auto share = [&](int w, std::vector<int>& breaks) {
        int essential = 0;
        breaks = upperBreaksAt(w, essential);
        return static_cast<int>(ShellInspectorLayout::topShare(height, bottomLeast, essential,
                                                               scroll_->heightForWidth(w), bottomWanted));
    };
    auto* scroll = static_cast<UpperScroll*>(scroll_);
    std::vector<int> breaks;
    const int full = scroll_->heightForWidth(width);
    if (share(width, breaks) >= full) {
        scroll->setBottomGap(0);
        return full;
    }
    // Less than the whole: the content scrolls beside its scroll bar, narrower, and
    // its shown part ends below its last whole row, so that no button shows cut in
    // half; the rest of the part's height stays empty.
    const int narrower = std::max(0, width - scroll_->verticalScrollBar()->sizeHint().width());
    const int top = share(narrower, breaks);
    scroll->setBottomGap(top - ShellInspectorLayout::wholeRowsHeight(top, breaks));
    return top;
}

void InspectorView::onChanged(quint64 fields) {
    using F = AppState::Field;
    const quint64 read = AppState::bit(F::selection) | AppState::bit(F::focus) | AppState::bit(F::treeVersion) |
                         AppState::bit(F::root) | AppState::bit(F::collector) | AppState::bit(F::collectorVersion) |
                         AppState::bit(F::refreshingFolders) | AppState::bit(F::colorMode) |
                         AppState::bit(F::typeStats) | AppState::bit(F::extensionColors) |
                         AppState::bit(F::volumeNames);
    if (fields & read) showNode();
    const quint64 card = AppState::bit(F::scanVolume) | AppState::bit(F::root) | AppState::bit(F::treeVersion) |
                         AppState::bit(F::volumeNames);
    if (fields & card) diskUsage_->refresh();
}

void InspectorView::showNode() {
    const NodeRef& selection = state_.selection();
    const NodeRef shown = selection ? selection : state_.focus();
    details_->setVisible(static_cast<bool>(shown));
    placeholder_->setVisible(!shown);
    if (shown) details_->setNode(shown, !selection);
}

} // namespace plenwick
