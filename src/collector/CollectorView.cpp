#include "collector/CollectorView.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "collector/CollectorBarButtons.h"
#include "collector/CollectorChipStrip.h"
#include "collector/CollectorMotion.h"
#include "collector/CollectorPaint.h"
#include "collector/CollectorTexts.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "collector/ShellCollectorItemsList.h"
#include "collector/ShellFreedBadge.h"
#include "platform/FileURL.h"
#include "runtime/TaskClock.h"
#include "shell/ShellPictureFade.h"
#include "shell/ShellProminentButton.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVariantAnimation>

namespace plenwick {

namespace {

constexpr int kInset = 12;
constexpr int kSpacing = 10;
constexpr int kCompactSpacing = 8;
constexpr int kHintSymbol = 17;

QString hintMessage() { return QStringLiteral("Drag items here to collect them for deletion"); }

QString hintShortcut() {
    const QKeySequence keys(QString::fromLatin1(shortcuts::addToCollector), QKeySequence::PortableText);
    return QStringLiteral("or press ") + keys.toString(QKeySequence::NativeText);
}

QPushButton* makeDeleteButton(QWidget* parent, bool iconOnly) {
    auto* button = new QPushButton(parent);
    button->setIcon(symbolIcon(Symbol::trash, QColor(Qt::white)));
    if (!iconOnly) button->setText(QStringLiteral("Delete…"));
    button->setToolTip(QStringLiteral("Move every collected item to the Trash"));
    button->setAccessibleName(QStringLiteral("Delete collected items"));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    makeShellProminent(button, shellDestructiveColor(), 26);
    if (iconOnly) button->setStyleSheet(button->styleSheet() + QStringLiteral("QPushButton { padding: 0 8px; }"));
    return button;
}

} // namespace

CollectorView::CollectorView(AppState& state, std::shared_ptr<TaskClock> clock, QWidget* parent)
    : QWidget(parent), state_(state),
      clock_(clock ? std::move(clock) : std::make_shared<TimerClock>()) {
    setObjectName(QStringLiteral("CollectorBar"));
    setAccessibleName(QStringLiteral("Collector"));
    setFixedHeight(kHeight);
    setMinimumWidth(0);
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    // Wide and medium: header, chips (wide) or room, total, Clear, Delete….
    fullRow_ = new QWidget(this);
    auto* row = new QHBoxLayout(fullRow_);
    row->setContentsMargins(kInset, 0, kInset, 0);
    row->setSpacing(kSpacing);
    header_ = new CollectorHeaderButton(fullRow_);
    connect(header_, &QAbstractButton::clicked, this, [this] { setShowItems(!itemsList_); });
    row->addWidget(header_);
    strip_ = new CollectorChipStrip(state_, fullRow_);
    connect(strip_, &CollectorChipStrip::widthChanged, this, &CollectorView::storeChipStripWidth);
    connect(strip_, &CollectorChipStrip::contextMenuRequested, this, &CollectorView::contextMenuRequested);
    row->addWidget(strip_, 1);
    flexibleSpace_ = new QWidget(fullRow_);
    flexibleSpace_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    flexibleSpace_->setMinimumWidth(0);
    row->addWidget(flexibleSpace_, 1);
    total_ = new CollectorTotal(fullRow_);
    row->addWidget(total_);
    clear_ = new QPushButton(QStringLiteral("Clear"), fullRow_);
    clear_->setToolTip(QStringLiteral("Empty the collector without deleting anything"));
    clear_->setAutoDefault(false);
    clear_->setFocusPolicy(Qt::TabFocus);
    connect(clear_, &QPushButton::clicked, this, &CollectorView::clear);
    row->addWidget(clear_);
    delete_ = makeDeleteButton(fullRow_, false);
    connect(delete_, &QPushButton::clicked, this, &CollectorView::requestDelete);
    row->addWidget(delete_);

    // Compact: summary, more, Delete as an icon.
    compactRow_ = new QWidget(this);
    auto* compact = new QHBoxLayout(compactRow_);
    compact->setContentsMargins(kInset, 0, kInset, 0);
    compact->setSpacing(kCompactSpacing);
    summary_ = new CollectorSummaryButton(compactRow_);
    connect(summary_, &QAbstractButton::clicked, this, [this] { setShowItems(!itemsList_); });
    compact->addWidget(summary_, 1);
    more_ = new QToolButton(compactRow_);
    more_->setIcon(symbolIcon(Symbol::ellipsisCircle));
    more_->setIconSize(QSize(16, 16));
    more_->setAutoRaise(true);
    more_->setToolTip(QStringLiteral("More collector actions"));
    more_->setAccessibleName(QStringLiteral("More collector actions"));
    more_->setPopupMode(QToolButton::InstantPopup);
    more_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    moreMenu_ = new QMenu(more_);
    connect(moreMenu_->addAction(QStringLiteral("Show Collected Items…")), &QAction::triggered, this,
            [this] { setShowItems(true); });
    connect(moreMenu_->addAction(QStringLiteral("Clear Collector")), &QAction::triggered, this, &CollectorView::clear);
    more_->setMenu(moreMenu_);
    compact->addWidget(more_);
    compactDelete_ = makeDeleteButton(compactRow_, true);
    connect(compactDelete_, &QPushButton::clicked, this, &CollectorView::requestDelete);
    compact->addWidget(compactDelete_);

    badge_ = new ShellFreedBadge(this);
    hintFade_ = new QVariantAnimation(this);
    makeCollectorSpring(*hintFade_);
    connect(hintFade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        hintOpacity_ = v.toDouble();
        update(emptyCardRect().toAlignedRect());
    });

    emptyShown_ = state_.collector().empty();
    connect(&state_, &AppState::changed, this, &CollectorView::onChanged);
    sync();
}

CollectorView::~CollectorView() {
    if (itemsList_) delete itemsList_.data();
    if (sheet_) delete sheet_.data();
}

ShellCollectorItemsList* CollectorView::itemsList() const { return itemsList_; }
ShellCollectorConfirmSheet* CollectorView::confirmSheet() const { return sheet_; }

QSize CollectorView::sizeHint() const { return QSize(wideMinimumWidth(), kHeight); }
QSize CollectorView::minimumSizeHint() const { return QSize(0, kHeight); }

int CollectorView::wideMinimumWidth() const {
    return mediumMinimumWidth() + strip_->minimumSizeHint().width() + kSpacing;
}

int CollectorView::mediumMinimumWidth() const {
    return 2 * kInset + header_->sizeHint().width() + total_->sizeHint().width() + clear_->sizeHint().width() +
           delete_->sizeHint().width() + 4 * kSpacing;
}

bool CollectorView::isEmptyShown() const { return emptyShown_; }

QVariantAnimation* CollectorView::contentSwitch() const { return contentFade_ ? &contentFade_->animation() : nullptr; }

// ---- State ----

void CollectorView::onChanged(quint64 fields) {
    using F = AppState::Field;
    const quint64 read = AppState::bit(F::collector) | AppState::bit(F::collectorVersion) |
                         AppState::bit(F::collectorLeftovers) | AppState::bit(F::treeVersion) |
                         AppState::bit(F::selection) | AppState::bit(F::volumeNames);
    if (fields & read)
        sync();
    else if (fields & AppState::bit(F::collectorTrashing))
        syncDeleteButtons();
}

void CollectorView::syncDeleteButtons() {
    // No second move while one is under way.
    for (QPushButton* button : {delete_, compactDelete_}) button->setEnabled(!state_.isTrashingCollector());
}

void CollectorView::sync() {
    const std::vector<NodeRef>& collector = state_.collector();
    // The empty card and the items dissolve into each other.
    if (collector.empty() != emptyShown_) {
        if (collectorMoves(*this)) {
            const QPixmap before = grab();
            if (contentFade_) delete contentFade_.data();
            contentFade_ = new ShellPictureFade(before, kCollectorSpringMs, this);
            contentFade_->start();
        }
        emptyShown_ = collector.empty();
    }
    cache_.refresh(state_);
    const auto count = static_cast<std::int64_t>(collector.size());
    const QString countText = collectorItemCountText(count);
    const QString totalText = collectorFigureText(cache_.cachedFigure());
    header_->setCountText(countText);
    total_->setText(totalText);
    summary_->setText(countText + QStringLiteral(" · ") + totalText);
    summary_->setToolTip(collectorSummaryHelp(count, cache_.cachedFigure()));
    summary_->setAccessibleName(countText + QStringLiteral(", ") + totalText + QStringLiteral(" to free"));
    syncDeleteButtons();

    strip_->rebuild(chipMetrics(), cache_);
    // Whichever item is last after a change is scrolled into view.
    const NodeRef last = collector.empty() ? NodeRef() : collector.back();
    if (last != lastNode_) {
        lastNode_ = last;
        if (last) strip_->scrollToLast(true);
    }
    if (collector.empty() && itemsList_) setShowItems(false);
    if (sheet_) rebuildSheet();
    chooseLayout();
    syncBadge();
    update();
}

void CollectorView::chooseLayout() {
    const bool empty = emptyShown_;
    layout_ = chooseCollectorBarLayout(width(), wideMinimumWidth(), mediumMinimumWidth());
    fullRow_->setVisible(!empty && layout_ != CollectorBarLayout::compact);
    compactRow_->setVisible(!empty && layout_ == CollectorBarLayout::compact);
    strip_->setVisible(layout_ == CollectorBarLayout::wide);
    flexibleSpace_->setVisible(layout_ == CollectorBarLayout::medium);
    fullRow_->setGeometry(rect());
    compactRow_->setGeometry(rect());
}

void CollectorView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    chooseLayout();
    placeBadge();
}

// ---- Chips ----

void CollectorView::storeChipStripWidth(double width) {
    if (!plenwick::storeChipStripWidth(chipStripWidth_, width)) return;
    cache_.refresh(state_);
    strip_->rebuild(chipMetrics(), cache_);
}

// ---- Items list ----

void CollectorView::setShowItems(bool show) {
    if (!show) {
        if (itemsList_) itemsList_->close();
        return;
    }
    if (itemsList_ || state_.collector().empty()) return;
    itemsList_ = new ShellCollectorItemsList(state_, this);
    connect(itemsList_, &ShellCollectorItemsList::contextMenuRequested, this, &CollectorView::contextMenuRequested);
    itemsList_->popUpAbove(this);
}

// ---- Clearing and deleting ----

void CollectorView::clear() { state_.syncCollector({}); }

void CollectorView::requestDelete() {
    if (sheet_ || state_.isTrashingCollector() || state_.collector().empty()) return;
    sheet_ = new ShellCollectorConfirmSheet({}, {}, window());
    connect(sheet_, &QDialog::accepted, this, &CollectorView::confirmTrash);
    connect(sheet_, &QDialog::rejected, this, &CollectorView::cancelConfirm);
    rebuildSheet();
    sheet_->open();
}

void CollectorView::rebuildSheet() {
    if (!sheet_) return;
    CollectorLeftovers leftovers = state_.collectorLeftovers();
    std::vector<NodeRef> items = collectorConfirmOrder(state_.collector(), leftovers);
    CollectorKeptBytes kept = collectorKeptBytes(items, state_.bytesKeptUnderOtherNamesEach(items));
    sheet_->setContent(std::move(items), std::move(leftovers), std::move(kept), state_.volumeNames());
}

void CollectorView::cancelConfirm() {
    if (!sheet_) return;
    ShellCollectorConfirmSheet* sheet = sheet_.data();
    sheet_ = nullptr;
    sheet->hide();
    sheet->deleteLater();
}

void CollectorView::confirmTrash() {
    cancelConfirm();
    if (state_.isTrashingCollector()) return;
    const QPointer<CollectorView> self(this);
    state_.trashCollected([self](const TrashMoves::TrashOutcome& outcome) {
        if (self && outcome.bytes > 0) self->showFreed(outcome.bytes, outcome.intoScannedTrash);
    });
}

// ---- Freed badge ----

void CollectorView::showFreed(std::int64_t bytes, bool intoScannedTrash) {
    freedMessage_ = intoScannedTrash ? collectorMovedMessage(bytes) : collectorFreedMessage(bytes);
    const int token = ++freedToken_;
    clock_->schedule(kFreedShown, this, [this, token] {
        if (freedToken_ != token) return;
        freedMessage_.reset();
        syncBadge();
        update();
    });
    syncBadge();
    update();
}

void CollectorView::syncBadge() {
    // Over the bar while items remain; inside the empty card unless a drag is over it.
    const bool shown = freedMessage_ && (!emptyShown_ || !dropTargeted_);
    if (freedMessage_) badge_->setText(*freedMessage_);
    placeBadge();
    badge_->appear(shown, collectorMoves(*this));
    syncHint();
}

void CollectorView::syncHint() {
    // The empty card shows the hint or, in its place, the freed badge.
    const double wanted = freedMessage_ && !dropTargeted_ ? 0 : 1;
    const double heading = hintFade_->state() == QAbstractAnimation::Running ? hintFade_->endValue().toDouble()
                                                                              : hintOpacity_;
    if (wanted == heading) return;
    hintFade_->stop();
    if (!emptyShown_ || !collectorMoves(*this)) {
        hintOpacity_ = wanted;
        update();
        return;
    }
    hintFade_->setStartValue(hintOpacity_);
    hintFade_->setEndValue(wanted);
    hintFade_->start();
}

void CollectorView::placeBadge() {
    const QSize size = badge_->sizeHint();
    badge_->setGeometry(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    badge_->raise();
}

// ---- Drops ----

bool CollectorView::acceptDroppedURLs(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        if (const std::optional<std::string> path = pathFromFileURL(url)) paths.push_back(*path);
    const std::vector<NodeRef> nodes =
        collectorDropNodes(paths, [this](const std::string& path) { return state_.nodeForURL(path); });
    state_.addToCollector(nodes);
    return !nodes.empty();
}

void CollectorView::setDropTargeted(bool targeted) {
    if (dropTargeted_ == targeted) return;
    dropTargeted_ = targeted;
    syncBadge();
    update();
}

void CollectorView::dragEnterEvent(QDragEnterEvent* event) {
    bool files = false;
    if (event->mimeData()->hasUrls())
        for (const QUrl& url : event->mimeData()->urls()) files = files || pathFromFileURL(url).has_value();
    if (!files) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setDropTargeted(true);
}

void CollectorView::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void CollectorView::dragLeaveEvent(QDragLeaveEvent*) { setDropTargeted(false); }

void CollectorView::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    if (acceptDroppedURLs(event->mimeData()->urls()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// ---- Painting ----

QRectF CollectorView::emptyCardRect() const { return QRectF(rect()).adjusted(10, 8, -10, -8); }

bool CollectorView::hintShowsShortcut() const {
    const QFontMetrics metrics(collectorFont(CollectorFont::callout));
    const int needed = kHintSymbol + 10 + metrics.horizontalAdvance(hintMessage()) + 10 +
                       metrics.horizontalAdvance(hintShortcut()) + 16;
    return needed <= emptyCardRect().width();
}

QString CollectorView::hintText() const {
    return hintShowsShortcut() ? hintMessage() + QLatin1Char(' ') + hintShortcut() : hintMessage();
}

void CollectorView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = shellAccentColor(palette());
    // The bar's material, a shade off the window's colour.
    const QColor window = shellWindowBackgroundColor(palette());
    p.fillRect(rect(), shellAppearance(palette()) == ShellAppearance::dark ? window.lighter(108) : window.darker(102));
    if (!emptyShown_) {
        if (dropTargeted_) p.fillRect(rect(), shellWithOpacity(accent, 0.08));
        return;
    }

    const QRectF card = emptyCardRect();
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    if (dropTargeted_) p.fillPath(shape, shellWithOpacity(accent, 0.1));
    QPen dash(dropTargeted_ ? accent : shellWithOpacity(shellSecondaryColor(palette()), 0.35), 1.2);
    dash.setDashPattern({5 / 1.2, 4 / 1.2});
    dash.setCapStyle(Qt::FlatCap);
    dash.setJoinStyle(Qt::MiterJoin);
    dash.setMiterLimit(10);
    p.setPen(dash);
    const QRectF inner = card.adjusted(0.6, 0.6, -0.6, -0.6);
    p.drawRoundedRect(inner, 9.4, 9.4);

    // The freed message takes the hint's place while no drag is over the bar.
    if (hintOpacity_ <= 0) return;
    p.setOpacity(hintOpacity_);
    const QFont font = collectorFont(CollectorFont::callout);
    const QFontMetrics metrics(font);
    const bool shortcut = hintShowsShortcut();
    const QString message = hintMessage(), keys = hintShortcut();
    const int messageWidth = metrics.horizontalAdvance(message);
    int width = kHintSymbol + 10 + messageWidth;
    if (shortcut) width += 10 + metrics.horizontalAdvance(keys);
    const QRectF room = card.adjusted(8, 0, -8, 0);
    qreal x = room.center().x() - std::min<qreal>(width, room.width()) / 2;
    const qreal midY = card.center().y();
    drawSymbol(p, dropTargeted_ ? Symbol::trayAndArrowDownFill : Symbol::tray,
               QRectF(x, midY - kHintSymbol / 2.0, kHintSymbol, kHintSymbol),
               dropTargeted_ ? accent : shellSecondaryColor(palette()));
    x += kHintSymbol + 10;
    p.setFont(font);
    p.setPen(dropTargeted_ ? shellPrimaryColor(palette()) : shellSecondaryColor(palette()));
    const qreal messageRoom = std::max<qreal>(0, room.right() - x);
    p.drawText(QRectF(x, card.top(), messageRoom, card.height()), Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(message, Qt::ElideRight, static_cast<int>(messageRoom)));
    if (!shortcut) return;
    x += messageWidth + 10;
    p.setPen(collectorTertiaryColor(palette()));
    p.drawText(QRectF(x, card.top(), room.right() - x, card.height()), Qt::AlignLeft | Qt::AlignVCenter, keys);
}

} // namespace plenwick
