#include "outline/FileOutlineView.h"

#include "app/AppState.h"
#include "outline/OutlinePlaceholder.h"
#include "outline/OutlineTableView.h"
#include "shell/ActivitySpinner.h"
#include "shell/Divider.h"
#include "shell/ShellStyle.h"
#include "shell/ShellSegmentedPicker.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QHideEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace plenwick {

namespace {

constexpr int kHeaderHorizontalPadding = 10;
constexpr int kHeaderVerticalPadding = 8;
constexpr int kSearchFieldHeight = 22;
constexpr int kFooterHeight = 24;

} // namespace

FileOutlineView::FileOutlineView(AppState& state, QWidget* parent, std::chrono::milliseconds searchPause)
    : QWidget(parent), state_(state), viewModel_(state, searchPause) {
    setObjectName(QStringLiteral("FileOutlineView"));
    setAccessibleName(QStringLiteral("Outline"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Header: the mode picker above the name filter.
    auto* header = new QWidget(this);
    auto* headerLayout = new QVBoxLayout(header);
    headerLayout->setContentsMargins(kHeaderHorizontalPadding, kHeaderVerticalPadding, kHeaderHorizontalPadding,
                                     kHeaderVerticalPadding);
    headerLayout->setSpacing(8);
    auto* picker = new ShellSegmentedPicker(header);
    const QString pickerHelp = QStringLiteral("Browse all folders, or list the largest files in the current folder");
    picker->setToolTip(pickerHelp);
    picker->setAccessibleName(QStringLiteral("Show"));
    folders_ = picker->addSegment(FileOutlineViewModel::modeTitle(OutlineMode::folders));
    largest_ = picker->addSegment(FileOutlineViewModel::modeTitle(OutlineMode::largest));
    connect(folders_, &QAbstractButton::clicked, this, [this] { viewModel_.setMode(OutlineMode::folders); });
    connect(largest_, &QAbstractButton::clicked, this, [this] { viewModel_.setMode(OutlineMode::largest); });
    headerLayout->addWidget(picker);

    search_ = new QLineEdit(header);
    search_->setPlaceholderText(QStringLiteral("Filter by Name"));
    search_->setAccessibleName(QStringLiteral("Filter by Name"));
    search_->setClearButtonEnabled(true);
    search_->setFixedHeight(kSearchFieldHeight);
    searchIcon_ = search_->addAction(QIcon(), QLineEdit::LeadingPosition);
    paintSearchIcon();
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { viewModel_.setQuery(text.toStdString()); });
    headerLayout->addWidget(search_);
    column->addWidget(header);
    column->addWidget(new Divider(Qt::Horizontal, this));

    // The list area, or "Nothing Scanned" without a scan.
    auto* body = new QWidget(this);
    pages_ = new QStackedLayout(body);
    nothingScanned_ = new OutlinePlaceholder(body);
    nothingScanned_->setContent([](QPainter& p, const QRectF& box, const QColor& color) {
        drawSymbol(p, Symbol::internalDrive, box, color);
    }, QStringLiteral("Nothing Scanned"));
    listArea_ = new QWidget(body);
    auto* stack = new QGridLayout(listArea_);
    stack->setContentsMargins(0, 0, 0, 0);
    coordinator_ = std::make_unique<OutlineTableCoordinator>(state_, listArea_);
    stack->addWidget(&coordinator_->view(), 0, 0);
    overlay_ = new QWidget(listArea_);
    overlay_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* overlayLayout = new QGridLayout(overlay_);
    overlaySpinner_ = new ActivitySpinner(16, overlay_);
    overlayPlaceholder_ = new OutlinePlaceholder(overlay_);
    overlayLayout->addWidget(overlaySpinner_, 0, 0, Qt::AlignCenter);
    overlayLayout->addWidget(overlayPlaceholder_, 0, 0);
    stack->addWidget(overlay_, 0, 0);
    pages_->addWidget(nothingScanned_);
    pages_->addWidget(listArea_);
    column->addWidget(body, 1);

    // Footer: a spinner while a newer list is computed, and the status line.
    footerDivider_ = new Divider(Qt::Horizontal, this);
    footer_ = new QWidget(this);
    footer_->setFixedHeight(kFooterHeight);
    auto* footerRow = new QHBoxLayout(footer_);
    footerRow->setContentsMargins(kHeaderHorizontalPadding, 0, kHeaderHorizontalPadding, 0);
    footerRow->setSpacing(6);
    footerSpinner_ = new ActivitySpinner(10, footer_);
    footerLine_ = new ShellText(QString(), footer_);
    footerLine_->setTextStyle(ShellTextStyle::caption);
    footerLine_->setTone(ShellText::Tone::secondary);
    footerLine_->setElideMode(Qt::ElideMiddle);
    footerLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    footerLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    footerRow->addWidget(footerSpinner_);
    footerRow->addWidget(footerLine_, 1);
    column->addWidget(footerDivider_);
    column->addWidget(footer_);

    connect(&viewModel_, &FileOutlineViewModel::changed, this, &FileOutlineView::onChanged);
    refresh();
}

FileOutlineView::~FileOutlineView() { viewModel_.setActive(false); }

QAbstractButton* FileOutlineView::modeButton(OutlineMode mode) const {
    return mode == OutlineMode::folders ? folders_ : largest_;
}

bool FileOutlineView::isShowingNothingScanned() const { return pages_->currentWidget() == nothingScanned_; }

QString FileOutlineView::footerText() const { return footer_->isHidden() ? QString() : footerLine_->text(); }

bool FileOutlineView::isFooterBusy() const { return !footer_->isHidden() && !footerSpinner_->isHidden(); }

void FileOutlineView::paintSearchIcon() {
    searchIcon_->setIcon(symbolIcon(Symbol::magnifyingGlass, shellSecondaryColor(palette())));
}

void FileOutlineView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintSearchIcon();
}

void FileOutlineView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    viewModel_.setActive(true);
}

void FileOutlineView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A minimised window (or one moved to another desktop) hides its widgets
    // spontaneously; the sidebar is still there, and its walks go on.
    if (!event->spontaneous()) viewModel_.setActive(false);
}

void FileOutlineView::onChanged(quint64 stateFields) {
    using F = AppState::Field;
    // The footer and the rows name the scope and the root by the volumes' names.
    constexpr quint64 listing = AppState::bit(F::root) | AppState::bit(F::focus) | AppState::bit(F::treeVersion) |
                                AppState::bit(F::volumeNames);
    OutlineTableChange change;
    change.tree = stateFields & AppState::bit(F::treeVersion);
    change.selection = stateFields & AppState::bit(F::selection);
    change.focus = stateFields & AppState::bit(F::focus);
    change.rows = stateFields & (AppState::bit(F::colorMode) | AppState::bit(F::typeFilter) |
                                 AppState::bit(F::collectorVersion) | AppState::bit(F::volumeNames));
    // A hover, a selection or a colour leaves the lists as they are.
    apply(stateFields == 0 || (stateFields & listing), change);
}

void FileOutlineView::refresh() {
    OutlineTableChange change;
    change.rows = true;
    apply(true, change);
}

void FileOutlineView::apply(bool listingMayChange, OutlineTableChange change) {
    if (!listingMayChange) {
        if (state_.root()) coordinator_->update(change);
        return;
    }
    folders_->setChecked(viewModel_.mode() == OutlineMode::folders);
    largest_->setChecked(viewModel_.mode() == OutlineMode::largest);

    const std::optional<OutlineContent> content = viewModel_.outlineContent();
    pages_->setCurrentWidget(content ? listArea_ : nothingScanned_);
    if (content) {
        change.content = &*content;
        coordinator_->update(change);
    } else {
        coordinator_->clear();
    }

    const FileOutlineViewModel::Overlay overlay = content ? viewModel_.overlay() : FileOutlineViewModel::Overlay::none;
    overlay_->setVisible(overlay != FileOutlineViewModel::Overlay::none);
    overlaySpinner_->setVisible(overlay == FileOutlineViewModel::Overlay::spinner);
    overlayPlaceholder_->setVisible(overlay == FileOutlineViewModel::Overlay::noSearchResults ||
                                    overlay == FileOutlineViewModel::Overlay::noFiles);
    if (overlay == FileOutlineViewModel::Overlay::noSearchResults) {
        overlayPlaceholder_->setContent([](QPainter& p, const QRectF& box, const QColor& color) {
            drawSymbol(p, Symbol::magnifyingGlass, box, color);
        }, QStringLiteral("No Results for “") + QString::fromStdString(viewModel_.query()) + QStringLiteral("”"),
           QStringLiteral("Check the spelling or try a new search."));
    } else if (overlay == FileOutlineViewModel::Overlay::noFiles) {
        overlayPlaceholder_->setContent([](QPainter& p, const QRectF& box, const QColor& color) {
            drawSymbol(p, Symbol::doc, box, color);
        }, QStringLiteral("No Files"), QStringLiteral("This folder doesn't contain any files."));
    }

    const std::optional<QString> footer = content ? viewModel_.footerText() : std::nullopt;
    footerDivider_->setVisible(footer.has_value());
    footer_->setVisible(footer.has_value());
    footerLine_->setText(footer.value_or(QString()));
    footerLine_->setAccessibleName(footerLine_->text());
    footerSpinner_->setVisible(footer && viewModel_.isBusy());
}

} // namespace plenwick
