#include "home/VolumePickerView.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "app/HelperController.h"
#include "app/RecentScans.h"
#include "home/HomeBannerTransition.h"
#include "home/HomeBanners.h"
#include "home/HomeDrop.h"
#include "home/HomeFlowGrid.h"
#include "home/HomeStyle.h"
#include "home/PathPresence.h"
#include "home/RecentScansList.h"
#include "home/ScanFolderCard.h"
#include "home/ToolCards.h"
#include "home/VolumeCard.h"
#include "platform/MotionPreference.h"
#include "platform/MountWatcher.h"
#include "runtime/BackgroundTask.h"
#include "shell/AppLogo.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QScrollArea>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace plenwick {

namespace {

constexpr int columnMaximumWidth = 1120;
constexpr int horizontalPadding = 36;
constexpr int verticalPadding = 32;
constexpr int itemSpacing = 28;
constexpr int headingSpacing = 12;
constexpr int gridSpacing = 18;

// A column item: its widget and how far its shadows reach above and below what it shows.
struct Item {
    QWidget* widget;
    int bleedTop = 0;
    int bleedBottom = 0;
};

ShellText* secondaryText(const QString& text, ShellTextStyle style, QWidget* parent) {
    auto* label = new ShellText(text, parent);
    label->setTextStyle(style);
    label->setTone(ShellText::Tone::secondary);
    label->setAlignment(Qt::AlignLeft);
    return label;
}

} // namespace

HomeEnvironment HomeEnvironment::standard() {
    HomeEnvironment environment;
    environment.paths = &PathPresence::shared();
    environment.helper = &HelperController::shared();
    environment.mounts = &MountWatcher::shared();
    environment.systemTrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    return environment;
}

VolumePickerView::VolumePickerView(AppState& state, HomeEnvironment environment, QWidget* parent)
    : QWidget(parent), state_(state), environment_(std::move(environment)) {
    setObjectName(QStringLiteral("VolumePickerView"));
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("HomeScrollArea"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setViewport(new HomeBackdrop);
    scroll_->setWidgetResizable(true);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("HomeContent"));
    auto* outer = new QHBoxLayout(content_);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    scroll_->setWidget(content_);
    // The backdrop shows through the content.
    content_->setAutoFillBackground(false);
    layout->addWidget(scroll_);

    overlay_ = new DropToScanOverlay(this);
    overlay_->hide();

    connect(&state_, &AppState::changed, this, &VolumePickerView::onStateChanged);
    if (environment_.paths) connect(environment_.paths, &PathPresence::changed, this, &VolumePickerView::syncPresence);
    rebuild();
}

VolumePickerView::~VolumePickerView() = default;

// ---- Building the column ----

void VolumePickerView::onStateChanged(quint64 fields) {
    using F = AppState::Field;
    constexpr quint64 shown = AppState::bit(F::phase) | AppState::bit(F::root) | AppState::bit(F::collector) |
                              AppState::bit(F::scanStartedAt) | AppState::bit(F::volumes) | AppState::bit(F::treeVersion) |
                              AppState::bit(F::volumeNames);
    if (fields & shown) rebuild();
}

QWidget* VolumePickerView::makeHeader(QWidget* parent) {
    auto* header = new QWidget(parent);
    header->setObjectName(QStringLiteral("HomeHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addWidget(new AppLogoView(74, header), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* title = new QLabel(QStringLiteral("Plenwick"), header);
    title->setFont(homeTitleFont());
    texts->addWidget(title);
    texts->addWidget(secondaryText(QStringLiteral("Choose a disk or folder to see what's taking up space."),
                                   ShellTextStyle::title3, header));
    row->addLayout(texts);
    row->setAlignment(texts, Qt::AlignVCenter);
    row->addStretch(1);
    return header;
}

QWidget* VolumePickerView::makeSection(const QString& title, QWidget* content, QWidget* parent) {
    const QMargins room = ShellCard::shadowRoom();
    auto* section = new QWidget(parent);
    section->setObjectName(QStringLiteral("Section:") + title);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    ShellText* heading = secondaryText(title, ShellTextStyle::headline, section);
    heading->setContentsMargins(room.left(), 0, room.right(), 0);
    headings_.push_back(heading);
    column->addWidget(heading);
    // The cards' shadows reach above them: the gap is measured to what they show.
    column->addSpacing(headingSpacing - room.top());
    content->setParent(section);
    column->addWidget(content);
    return section;
}

void VolumePickerView::rebuild() {
    const QMargins room = ShellCard::shadowRoom();
    // The banners come and go with their transition while the page is on screen; a
    // banner that goes is pictured before its column does.
    const bool moves = isVisible() && !MotionPreference::shared().reduceMotion();
    auto pictureOf = [moves](QWidget* banner) {
        return moves && banner && banner->isVisible() ? banner->parentWidget()->grab() : QPixmap();
    };
    const bool hadReturn = returnBanner_ != nullptr;
    const QPixmap returnPicture = pictureOf(returnBanner_);
    headings_.clear();
    volumeCards_.clear();
    toolCards_.clear();
    returnBanner_ = nullptr;
    folderCard_ = nullptr;
    helperCard_ = nullptr;
    recentList_ = nullptr;
    if (column_) {
        // Whatever asked for this may be one of the old widgets: they go once it returns.
        column_->hide();
        content_->layout()->removeWidget(column_);
        column_->deleteLater();
    }

    auto* column = new QWidget(content_);
    column->setObjectName(QStringLiteral("HomeColumn"));
    column->setMaximumWidth(columnMaximumWidth);
    column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* stack = new QVBoxLayout(column);
    stack->setSpacing(0);
    // Cards keep room for their shadows beyond their visible edges, which stand at the padding.
    stack->setContentsMargins(horizontalPadding - room.left(), verticalPadding, horizontalPadding - room.right(),
                              verticalPadding);

    std::vector<Item> items;
    auto plain = [&](QWidget* widget) {
        auto* holder = new QWidget(column);
        holder->setObjectName(widget->objectName());
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(room.left(), 0, room.right(), 0);
        widget->setParent(holder);
        row->addWidget(widget);
        items.push_back({holder});
    };

    plain(makeHeader(column));

    // A banner that went leaves its picture to move out.
    auto banner = [&](QWidget* widget, bool had, const QPixmap& picture) {
        if (widget)
            plain(widget);
        else if (had && !picture.isNull())
            items.push_back({new HomeBannerTransition(picture, column)});
    };
    const NodeRef& root = state_.root();
    if (root && state_.phase().kind() == AppState::Phase::Kind::home) {
        returnBanner_ = new ShellReturnToResultsBanner(root, static_cast<std::int64_t>(state_.collector().size()),
                                                       state_.scanStartedAt(), state_.volumeNames(), column);
        connect(returnBanner_, &ShellReturnToResultsBanner::returnRequested, this, [this] { state_.backToResults(); });
        connect(returnBanner_, &ShellReturnToResultsBanner::closeRequested, this, &VolumePickerView::closeResults);
    }
    // The way back is there from the page's start; it goes, moving, when the results are closed.
    const bool home = state_.phase().kind() == AppState::Phase::Kind::home;
    banner(returnBanner_, hadReturn, home ? returnPicture : QPixmap());

    // Disks.
    auto* disks = new QWidget;
    disks->setObjectName(QStringLiteral("DisksGrid"));
    auto* disksGrid = new HomeFlowGrid(210, 260, gridSpacing, gridSpacing, room, disks);
    for (const VolumeInfo& volume : state_.volumes()) {
        auto* card = new VolumeCard(volume, disks);
        connect(card, &VolumeCard::scanRequested, this, [this, url = volume.url] { state_.startScan(url); });
        disksGrid->addWidget(card);
        volumeCards_.push_back(card);
    }
    folderCard_ = new ScanFolderCard(disks);
    connect(folderCard_, &QAbstractButton::clicked, this, [this] { state_.chooseFolder(); });
    disksGrid->addWidget(folderCard_);
    items.push_back({makeSection(QStringLiteral("Disks"), disks, column), 0, room.bottom()});

    // Tools.
    auto* tools = new QWidget;
    tools->setObjectName(QStringLiteral("ToolsGrid"));
    auto* toolsGrid = new HomeFlowGrid(280, 420, gridSpacing, gridSpacing, room, tools);
    auto addTool = [&](const std::function<void()>& action, ToolCardContent content, const char* shortcut) {
        if (!action) return; // a tool this program lacks has no card
        auto* card = new ToolCard(std::move(content), shortcut, tools);
        connect(card, &QAbstractButton::clicked, this, [action] { action(); });
        toolsGrid->addWidget(card);
        toolCards_.push_back(card);
    };
    addTool(environment_.uninstallApp,
            {Symbol::xmarkBinFill, ToolTint::red, QStringLiteral("Uninstall an App"),
             QStringLiteral("Remove an app along with its settings, caches and data in your home folder.")},
            shortcuts::uninstallApp);
    addTool(environment_.openStartupItems,
            {Symbol::powerCircleFill, ToolTint::green, QStringLiteral("Startup Items"),
             QStringLiteral("See and turn off apps and background jobs that start on their own.")},
            shortcuts::startupItems);
    if (environment_.helper) {
        helperCard_ = new HelperToolCard(*environment_.helper, environment_.systemTrayAvailable, tools);
        toolsGrid->addWidget(helperCard_);
    }
    if (toolsGrid->count() > 0) {
        items.push_back({makeSection(QStringLiteral("Tools"), tools, column), 0, room.bottom()});
    } else {
        delete tools;
    }

    // Recent scans, read afresh.
    const std::vector<RecentScan> recents = RecentScans::load(state_.preferences());
    if (!recents.empty()) {
        recentList_ = new RecentScansList(recents, state_.volumeNames());
        recentList_->setObjectName(QStringLiteral("RecentScansList"));
        connect(recentList_, &RecentScansList::scanRequested, this, &VolumePickerView::scanRecent);
        connect(recentList_, &RecentScansList::removeRequested, this, &VolumePickerView::removeRecent);
        items.push_back({makeSection(QStringLiteral("Recent Scans"), recentList_, column), 0, room.bottom()});
    }

    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) stack->addSpacing(itemSpacing - items[i - 1].bleedBottom - items[i].bleedTop);
        stack->addWidget(items[i].widget);
    }
    stack->addStretch(1);

    auto* outer = static_cast<QHBoxLayout*>(content_->layout());
    while (QLayoutItem* item = outer->takeAt(0)) delete item;
    // Centred, at most the column's width.
    outer->addStretch(1);
    outer->addWidget(column, 1000);
    outer->addStretch(1);
    // At once, not on the next turn of the event loop: what is on show is what the state says.
    column->show();
    column_ = column;
    syncPresence();
}

void VolumePickerView::syncPresence() {
    if (!environment_.paths) return;
    for (VolumeCard* card : volumeCards_) card->setMountPointExists(environment_.paths->exists(card->volume().url));
    if (recentList_)
        for (RecentScanRow* row : recentList_->rows()) row->setExists(environment_.paths->exists(row->scan().path));
}

QStringList VolumePickerView::sectionTitles() const {
    QStringList titles;
    for (ShellText* heading : headings_) titles << heading->text();
    return titles;
}

QStringList VolumePickerView::columnItems() const {
    QStringList names;
    if (!column_) return names;
    QLayout* stack = column_->layout();
    for (int i = 0; i < stack->count(); ++i)
        if (QWidget* widget = stack->itemAt(i)->widget()) names << widget->objectName();
    return names;
}

// ---- Actions ----

void VolumePickerView::closeResults() { state_.closeResults(); }

void VolumePickerView::removeRecent(const std::string& path) {
    RecentScans::remove(state_.preferences(), path);
    rebuild();
}

void VolumePickerView::scanRecent(const std::string& path) { state_.startScan(path); }

bool VolumePickerView::acceptDroppedURLs(const QList<QUrl>& urls) {
    const std::optional<std::string> folder = home::folderToScan(urls, home::isExistingFolder);
    if (!folder) return false;
    state_.startScan(*folder);
    return true;
}

void VolumePickerView::volumesDidChange() {
    // The icon cache stays: an item's icon does not change when other volumes come or go.
    if (environment_.paths) environment_.paths->refresh();
    state_.refreshVolumes();
}

void VolumePickerView::refreshOnActivate() {
    state_.refreshVolumes();
    if (environment_.paths) environment_.paths->refresh();
    // Scans recorded meanwhile show.
    rebuild();
}

// ---- On screen ----

void VolumePickerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (onScreen_) return;
    onScreen_ = true;
    if (environment_.mounts)
        subscriptions_.push_back(connect(environment_.mounts, &MountWatcher::mountsChanged, this, &VolumePickerView::volumesDidChange));
    subscriptions_.push_back(connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) refreshOnActivate();
    }));
}

void VolumePickerView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The window being minimised leaves the page on screen.
    if (event->spontaneous() || !onScreen_) return;
    onScreen_ = false;
    for (const QMetaObject::Connection& connection : subscriptions_) disconnect(connection);
    subscriptions_.clear();
}

void VolumePickerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    overlay_->setGeometry(rect());
}

// ---- Drops ----

void VolumePickerView::setDropTargeted(bool targeted) {
    if (dropTargeted_ == targeted) return;
    dropTargeted_ = targeted;
    overlay_->setGeometry(rect());
    overlay_->setVisible(targeted);
    if (targeted) overlay_->raise();
}

void VolumePickerView::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls() || !home::carriesLocalFiles(event->mimeData()->urls())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setDropTargeted(true);
}

void VolumePickerView::dragMoveEvent(QDragMoveEvent* event) {
    if (dropTargeted_) event->acceptProposedAction();
    else event->ignore();
}

void VolumePickerView::dragLeaveEvent(QDragLeaveEvent* event) {
    setDropTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void VolumePickerView::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    // Where it was dropped does not matter.
    if (event->mimeData()->hasUrls() && acceptDroppedURLs(event->mimeData()->urls())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

} // namespace plenwick
