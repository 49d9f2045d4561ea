#include "results/FileTypesView.h"

#include "app/AppState.h"
#include "outline/OutlinePlaceholder.h"
#include "results/FileTypesRowView.h"
#include "runtime/BackgroundTask.h"
#include "shell/ActivitySpinner.h"
#include "shell/ShellSegmentedPicker.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QShowEvent>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace plenwick {

namespace {

constexpr int kPadding = 16;

QColor colorOf(const RGB& rgb) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green), static_cast<float>(rgb.blue));
}

// The bar above the rows while a highlight is on: a dot in its colour, its name and a
// clear button, on a capsule of the accent.
class HighlightBar final : public QWidget {
public:
    explicit HighlightBar(QWidget* parent) : QWidget(parent) {}
    void setDotColor(const QColor& color) {
        dot_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(shellWithOpacity(shellAccentColor(palette()), 0.12));
        p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        p.setBrush(dot_);
        p.drawEllipse(QRectF(8, height() / 2.0 - 4, 8, 8));
    }

private:
    QColor dot_;
};

// The summary beside the scope menu: bytes and files on one line, or, where the
// desktop's font leaves too little room for that, the two parts one above the other
// rather than a cut figure.
class SummaryText final : public QWidget {
public:
    explicit SummaryText(QWidget* parent) : QWidget(parent) {
        setFont(shellFont(ShellTextStyle::caption));
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    const QString& text() const { return text_; }
    void setText(const QString& text) {
        if (text == text_) return;
        text_ = text;
        updateGeometry();
        update();
    }
    QStringList lines() const {
        const int split = static_cast<int>(text_.indexOf(QStringLiteral(" · ")));
        if (split < 0 || fontMetrics().horizontalAdvance(text_) <= width()) return {text_};
        return {text_.left(split + 2), text_.mid(split + 3)};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const bool one = fontMetrics().horizontalAdvance(text_) <= width || !text_.contains(QStringLiteral(" · "));
        return fontMetrics().height() * (one ? 1 : 2);
    }
    QSize sizeHint() const override { return QSize(fontMetrics().horizontalAdvance(text_) + 1, fontMetrics().height()); }
    QSize minimumSizeHint() const override {
        int widest = 0;
        for (const QString& part : text_.split(QStringLiteral(" · ")))
            widest = std::max(widest, fontMetrics().horizontalAdvance(part + QStringLiteral(" ·")));
        return QSize(widest + 1, fontMetrics().height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(shellSecondaryColor(palette()));
        const QStringList shown = lines();
        const int line = fontMetrics().height();
        const int top = (height() - line * static_cast<int>(shown.size())) / 2;
        for (int i = 0; i < shown.size(); ++i)
            p.drawText(QRect(0, top + i * line, width(), line), Qt::AlignRight | Qt::AlignVCenter, shown[i]);
    }
    void resizeEvent(QResizeEvent*) override { updateGeometry(); }

private:
    QString text_;
};

} // namespace

FileTypesView::FileTypesView(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("FileTypesView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    picker_ = new ShellSegmentedPicker(this);
    picker_->setAccessibleName(QStringLiteral("Breakdown"));
    for (FileTypesSegment s : {FileTypesSegment::kinds, FileTypesSegment::extensions}) {
        QAbstractButton* button = picker_->addSegment(fileTypesSegmentTitle(s));
        connect(button, &QAbstractButton::clicked, this, [this, s] { setSegment(s); });
    }
    auto* pickerRow = new QHBoxLayout;
    pickerRow->setContentsMargins(kPadding, 0, kPadding, 0);
    pickerRow->addWidget(picker_);
    column->addLayout(pickerRow);

    auto* summaryRow = new QHBoxLayout;
    summaryRow->setContentsMargins(kPadding, 0, kPadding, 0);
    summaryRow->setSpacing(6);
    scopeButton_ = new QToolButton(this);
    scopeButton_->setAutoRaise(true);
    scopeButton_->setPopupMode(QToolButton::InstantPopup);
    scopeButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    scopeButton_->setFont(shellFont(ShellTextStyle::callout));
    scopeButton_->setIconSize(QSize(13, 13));
    scopeButton_->setToolTip(
        QStringLiteral("Show statistics for the whole scan or only the folder at the centre of the chart"));
    scopeButton_->setAccessibleName(QStringLiteral("Scope"));
    scopeMenu_ = new QMenu(scopeButton_);
    auto* scopes = new QActionGroup(scopeMenu_);
    for (FileTypesScope s : {FileTypesScope::wholeScan, FileTypesScope::currentFolder}) {
        QAction* action = scopeMenu_->addAction(fileTypesScopeTitle(s));
        action->setCheckable(true);
        action->setChecked(s == scope_);
        action->setData(static_cast<int>(s));
        scopes->addAction(action);
        connect(action, &QAction::triggered, this, [this, s] { setScope(s); });
    }
    scopeButton_->setMenu(scopeMenu_);
    summaryRow->addWidget(scopeButton_);
    summaryRow->addStretch(1);
    spinner_ = new ActivitySpinner(10, this);
    summaryRow->addWidget(spinner_);
    summary_ = new SummaryText(this);
    summaryRow->addWidget(summary_);
    column->addLayout(summaryRow);

    auto* highlightRow = new QHBoxLayout;
    highlightRow->setContentsMargins(kPadding, 0, kPadding, 0);
    auto* bar = new HighlightBar(this);
    highlightBar_ = bar;
    barOpacity_ = new QGraphicsOpacityEffect(bar);
    barOpacity_->setEnabled(false);
    bar->setGraphicsEffect(barOpacity_);
    bar->hide();
    auto* barRow = new QHBoxLayout(bar);
    barRow->setContentsMargins(8 + 8 + 6, 4, 8, 4);
    barRow->setSpacing(6);
    highlightTitle_ = new ShellText(QString(), bar);
    highlightTitle_->setTextStyle(ShellTextStyle::callout);
    highlightTitle_->setAlignment(Qt::AlignLeft);
    highlightTitle_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    barRow->addWidget(highlightTitle_, 1);
    clearHighlight_ = new QToolButton(bar);
    clearHighlight_->setAutoRaise(true);
    clearHighlight_->setIconSize(QSize(13, 13));
    clearHighlight_->setToolTip(QStringLiteral("Clear the highlight"));
    clearHighlight_->setAccessibleName(QStringLiteral("Clear Highlight"));
    connect(clearHighlight_, &QToolButton::clicked, this, [this] { state_.setTypeFilter(std::nullopt); });
    barRow->addWidget(clearHighlight_);
    highlightRow->addWidget(bar);
    column->addLayout(highlightRow);

    auto* body = new QWidget(this);
    body_ = new QStackedLayout(body);
    placeholder_ = new OutlinePlaceholder(body);
    list_ = new QListView(body);
    list_->setObjectName(QStringLiteral("FileTypesList"));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setMouseTracking(true);
    list_->viewport()->setAttribute(Qt::WA_Hover);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    list_->setAccessibleName(QStringLiteral("File Types"));
    model_ = new FileTypesListModel(list_);
    delegate_ = new FileTypesRowDelegate(list_);
    list_->setModel(model_);
    list_->setItemDelegate(delegate_);
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (const FileTypesRow* row = model_->rowAt(index.row())) {
            const FileTypesRow copy = *row; // the rows are rebuilt by the toggle
            toggleHighlight(copy);
        }
    });
    body_->addWidget(placeholder_);
    body_->addWidget(list_);
    column->addWidget(body, 1);

    connect(&state_, &AppState::changed, this, &FileTypesView::onChanged);
    refresh();
}

FileTypesView::~FileTypesView() { folderStop_.request_stop(); }

QSize FileTypesView::sizeHint() const {
    // Every row shown, with the highlight bar's room kept whether or not it shows, so
    // that the bar sliding in does not move what lies above the breakdown.
    const QLayout* column = layout();
    const int spacing = column->spacing();
    const int rows = model_->rowCount();
    const int body = rows > 0 ? rows * list_->sizeHintForRow(0) : placeholder_->sizeHint().height();
    const int height = column->itemAt(0)->sizeHint().height() + spacing + column->itemAt(1)->sizeHint().height() +
                       spacing + highlightBar_->sizeHint().height() + spacing + body;
    return QSize(column->sizeHint().width(), height);
}

int FileTypesView::heightShowingRows(int rows) const {
    const QLayout* column = layout();
    const int body = model_->rowCount() > 0 ? std::min(rows, model_->rowCount()) * list_->sizeHintForRow(0)
                                            : placeholder_->sizeHint().height();
    int height = 0;
    for (int i = 0; i < column->count(); ++i) {
        QLayoutItem* item = column->itemAt(i);
        if (item->isEmpty()) continue;
        height += (item->widget() && item->widget() == body_->parentWidget() ? body : item->sizeHint().height()) +
                  (height > 0 ? column->spacing() : 0);
    }
    return height;
}

void FileTypesView::setSegment(FileTypesSegment segment) {
    if (segment == segment_) return;
    segment_ = segment;
    refresh();
}

void FileTypesView::setScope(FileTypesScope scope) {
    if (scope == scope_) return;
    scope_ = scope;
    for (QAction* action : scopeMenu_->actions()) action->setChecked(action->data().toInt() == static_cast<int>(scope));
    refresh();
}

NodeRef FileTypesView::scopedFolder() const {
    if (scope_ != FileTypesScope::currentFolder) return {};
    const NodeRef& focus = state_.focus();
    if (!focus || focus == state_.root()) return {};
    return focus;
}

const std::vector<FileTypeStat>& FileTypesView::currentStats() const {
    static const std::vector<FileTypeStat> none;
    const NodeRef folder = scopedFolder();
    if (!folder) return state_.typeStats();
    if (const std::vector<FileTypeStat>* cached = cache_.stats(folder.get(), state_.treeVersion())) return *cached;
    if (cache_.lastShown()) return *cache_.lastShown();
    return none;
}

const std::vector<FileTypesRow>& FileTypesView::rows() const { return model_->rows(); }

const ColorModeMemory& FileTypesView::colorModeMemory() const noexcept { return state_.colorModeMemory(); }

void FileTypesView::toggleHighlight(const FileTypesRow& row) {
    state_.toggleTypeHighlight(row.filter,
                               segment_ == FileTypesSegment::extensions ? ColorMode::byType : ColorMode::byKind);
}

void FileTypesView::onChanged(quint64 fields) {
    using F = AppState::Field;
    auto has = [fields](F f) { return (fields & AppState::bit(f)) != 0; };
    if (has(F::treeVersion)) cache_.dropOlderThan(state_.treeVersion());
    const quint64 read = AppState::bit(F::typeStats) | AppState::bit(F::typeFilter) | AppState::bit(F::colorMode) |
                         AppState::bit(F::extensionColors) | AppState::bit(F::focus) | AppState::bit(F::root) |
                         AppState::bit(F::treeVersion) | AppState::bit(F::volumeNames);
    if (fields & read) refresh();
}

void FileTypesView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return; // the window minimised: the view stays as it is
    disappeared_ = true;
}

void FileTypesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || !disappeared_) return;
    disappeared_ = false;
    startOver();
}

void FileTypesView::startOver() {
    // Shown anew (the inspector shown again, or the results returned to): the
    // breakdown starts as a new one does.
    folderStop_.request_stop();
    folderStop_ = std::stop_source();
    ++folderRun_;
    folderKey_.reset();
    segment_ = FileTypesSegment::kinds;
    scope_ = FileTypesScope::wholeScan;
    for (QAction* action : scopeMenu_->actions()) action->setChecked(action->data().toInt() == static_cast<int>(scope_));
    cache_ = FileTypesFolderCache();
    isLoadingFolder_ = false;
    state_.forgetColorModeMemory();
    refresh();
}

void FileTypesView::loadFolderStats() {
    const FolderKey key{scope_, state_.focus().get(), state_.treeVersion()};
    if (folderKey_ == key) return;
    folderKey_ = key;
    // A new key supersedes the run under way: its result is dropped.
    folderStop_.request_stop();
    folderStop_ = std::stop_source();
    const std::uint64_t run = ++folderRun_;
    const NodeRef target = scopedFolder();
    if (!target || cache_.stats(target.get(), key.version)) {
        isLoadingFolder_ = false;
        return;
    }
    isLoadingFolder_ = true;
    runInBackground(
        state_.executors().userInitiated, this,
        [target, stop = folderStop_.get_token()] { return AppState::computeTypeStats(target, stop); },
        [this, run, target, version = key.version](std::vector<FileTypeStat> stats) {
            if (run != folderRun_) return;
            cache_.store(std::move(stats), target, version);
            isLoadingFolder_ = false;
            refresh();
        },
        // A walk that fails leaves the statistics shown so far; the next key runs again.
        [this, run](std::exception_ptr) {
            if (run != folderRun_) return;
            isLoadingFolder_ = false;
            refresh();
        });
}

void FileTypesView::refresh() {
    loadFolderStats();
    const std::vector<FileTypeStat>& stats = currentStats();
    const bool folderScope = scope_ == FileTypesScope::currentFolder;
    std::vector<FileTypesRow> rows = segment_ == FileTypesSegment::kinds
                                         ? fileTypesKindRows(stats)
                                         : fileTypesExtensionRows(stats, folderScope ? state_.extensionColors()
                                                                                     : ExtensionColors{});
    const std::optional<TypeFilter>& filter = state_.typeFilter();
    const std::optional<FileCategory> filterCategory = fileTypesFilterCategory(filter, state_.typeStats());
    std::vector<FileTypesRowState> states;
    int selectedIndex = -1;
    for (const FileTypesRow& row : rows) {
        const bool selected = filter && *filter == row.filter;
        if (selected) selectedIndex = static_cast<int>(states.size());
        states.push_back({selected, fileTypesRowDimmed(row, filter, filterCategory), false});
    }
    const int rowsBefore = model_->rowCount();
    model_->setRows(std::move(rows), std::move(states));
    if (model_->rowCount() != rowsBefore) updateGeometry();
    // The list's own selection mirrors the highlighted row, for assistive technologies.
    if (selectedIndex >= 0) list_->setCurrentIndex(model_->index(selectedIndex));
    else list_->clearSelection();

    const bool dimList = isLoadingFolder_ && folderScope;
    delegate_->setOpacity(dimList ? 0.6 : 1.0);
    list_->viewport()->update();
    spinner_->setVisible(dimList);
    static_cast<SummaryText*>(summary_)->setText(fileTypesSummaryText(stats));
    picker_->segment(segment_ == FileTypesSegment::kinds ? 0 : 1)->setChecked(true);
    refreshScopeButton();

    showHighlightBar(filter.has_value());
    if (filter) {
        const FileTypesHighlight highlight = fileTypesHighlight(*filter, state_.extensionColors());
        highlightTitle_->setText(QStringLiteral("Highlighting ") + highlight.title);
        static_cast<HighlightBar*>(highlightBar_)->setDotColor(colorOf(highlight.rgb));
        clearHighlight_->setIcon(symbolIcon(Symbol::xmarkCircleFill, shellSecondaryColor(palette())));
    }

    const bool empty = model_->rowCount() == 0;
    placeholder_->setContent([](QPainter& p, const QRectF& box, const QColor& color) { drawSymbol(p, Symbol::doc, box, color); },
                             isLoadingFolder_ ? QStringLiteral("Calculating…") : QStringLiteral("No Files"));
    body_->setCurrentWidget(empty ? placeholder_ : static_cast<QWidget*>(list_));
}

void FileTypesView::showHighlightBar(bool shown) {
    if (shown == highlightShown_) return;
    highlightShown_ = shown;
    // Picks up from where an interrupted slide stands.
    const double from = barSlide_ ? barOpacity_->opacity() : (shown ? 0.0 : 1.0);
    if (barSlide_) barSlide_->stop();
    if (!isVisible()) {
        highlightBar_->setMaximumHeight(QWIDGETSIZE_MAX);
        barOpacity_->setEnabled(false);
        highlightBar_->setVisible(shown);
        return;
    }
    // Slides down from under the summary row while fading in, and back up and out.
    const int full = highlightBar_->sizeHint().height();
    highlightBar_->setVisible(true);
    barOpacity_->setEnabled(true);
    auto* slide = new QVariantAnimation(this);
    slide->setDuration(kHighlightSlideMs);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    slide->setStartValue(from);
    slide->setEndValue(shown ? 1.0 : 0.0);
    connect(slide, &QVariantAnimation::valueChanged, this, [this, full](const QVariant& value) {
        const double t = value.toDouble();
        highlightBar_->setMaximumHeight(qRound(full * t));
        barOpacity_->setOpacity(t);
    });
    connect(slide, &QVariantAnimation::finished, this, [this] {
        highlightBar_->setVisible(highlightShown_);
        highlightBar_->setMaximumHeight(QWIDGETSIZE_MAX);
        barOpacity_->setEnabled(false);
    });
    barSlide_ = slide;
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void FileTypesView::refreshScopeButton() {
    QString title = fileTypesScopeTitle(FileTypesScope::wholeScan);
    if (scope_ == FileTypesScope::currentFolder && state_.focus())
        title = QString::fromStdString(state_.displayName(*state_.focus()));
    scopeButton_->setText(title);
    scopeButton_->setIcon(symbolIcon(scope_ == FileTypesScope::wholeScan ? Symbol::internalDrive : Symbol::folder));
}

QAbstractButton* FileTypesView::segmentButton(FileTypesSegment segment) const {
    return picker_->segment(segment == FileTypesSegment::kinds ? 0 : 1);
}

QString FileTypesView::summaryText() const { return static_cast<SummaryText*>(summary_)->text(); }
QStringList FileTypesView::summaryLines() const { return static_cast<SummaryText*>(summary_)->lines(); }
QString FileTypesView::highlightText() const { return highlightTitle_->text(); }
QAbstractButton* FileTypesView::clearHighlightButton() const { return clearHighlight_; }
QString FileTypesView::placeholderText() const { return placeholder_->title(); }
bool FileTypesView::isShowingPlaceholder() const { return body_->currentWidget() == placeholder_; }

} // namespace plenwick
