#include "results/ScanProgressView.h"

#include "app/AppState.h"
#include "results/ScanProgressBar.h"
#include "results/ShellScanRings.h"
#include "results/ShellStatTile.h"
#include "runtime/BackgroundTask.h"
#include "shell/AppLogo.h"
#include "shell/FileIconCache.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace plenwick {

namespace {

using Field = AppState::Field;

constexpr AppState::Fields watchedFields = AppState::bit(Field::scanProgress) | AppState::bit(Field::scanTarget) |
                                           AppState::bit(Field::scanVolume) | AppState::bit(Field::scanStartedAt) |
                                           AppState::bit(Field::phase) | AppState::bit(Field::root) |
                                           AppState::bit(Field::volumeNames);

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A 1-point line 30 high between two counters.
class CounterDivider final : public QWidget {
public:
    CounterDivider() { setFixedSize(1, 30); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), shellSeparatorColor(shellAppearance(palette())));
    }
};

// The rings with the logo laid over their middle.
class RingsGroup final : public QWidget {
public:
    RingsGroup(ShellScanRings* rings, AppLogoView* logo) : rings_(rings), logo_(logo) {
        setFixedSize(280, 280);
        rings_->setParent(this);
        logo_->setParent(rings_);
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        rings_->setGeometry(rect());
        logo_->setGeometry(rings_->rect()); // the logo centres itself
    }

private:
    ShellScanRings* rings_;
    AppLogoView* logo_;
};

} // namespace

ScanProgressView::ScanProgressView(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      rings_(new ShellScanRings()),
      logo_(new AppLogoView(74)),
      icon_(new ShellIconImage(24)),
      title_(new ShellText()),
      path_(new ShellText()),
      bar_(new ScanProgressBar()),
      captionRow_(new QWidget()),
      caption_(new ShellText()),
      percent_(new ShellText()),
      cancel_(new QPushButton(QStringLiteral("Cancel Scan"))) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(1);
    column->addSpacing(24);

    // Rings, 28 below.
    column->addWidget(new RingsGroup(rings_, logo_), 0, Qt::AlignHCenter);
    column->addSpacing(28);

    // Title block: icon and title, the folder line; 24 at the sides, 20 below.
    title_->setTextStyle(ShellTextStyle::title2, QFont::DemiBold);
    title_->setElideMode(Qt::ElideMiddle);
    auto* titleRow = new QHBoxLayout();
    titleRow->setSpacing(8);
    titleRow->addStretch(1);
    titleRow->addWidget(icon_, 0, Qt::AlignVCenter);
    titleRow->addWidget(title_, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    path_->setTextStyle(ShellTextStyle::caption, std::nullopt, true);
    path_->setTone(ShellText::Tone::secondary);
    path_->setElideMode(Qt::ElideMiddle);
    path_->setMaximumWidth(520);
    auto* titleBlock = new QVBoxLayout();
    titleBlock->setSpacing(6);
    titleBlock->setContentsMargins(24, 0, 24, 20);
    titleBlock->addLayout(titleRow);
    titleBlock->addWidget(path_, 0, Qt::AlignHCenter);
    column->addLayout(titleBlock);

    // Progress block, 440 wide; 22 below, less the room the card keeps for its shadow.
    const QMargins shadow = ShellCard::shadowRoom();
    auto* progress = new QWidget();
    progress->setFixedWidth(440);
    auto* progressColumn = new QVBoxLayout(progress);
    progressColumn->setSpacing(6);
    progressColumn->setContentsMargins(0, 0, 0, 0);
    progressColumn->addWidget(bar_);
    for (ShellText* t : {caption_, percent_}) {
        t->setTextStyle(ShellTextStyle::caption);
        t->setTone(ShellText::Tone::secondary);
    }
    caption_->setAlignment(Qt::AlignLeft);
    caption_->setElideMode(Qt::ElideMiddle);
    percent_->setAlignment(Qt::AlignRight);
    percent_->setElideMode(Qt::ElideNone);
    auto* captionLayout = new QHBoxLayout(captionRow_);
    captionLayout->setContentsMargins(0, 0, 0, 0);
    captionLayout->addWidget(caption_, 1);
    captionLayout->addWidget(percent_, 0);
    progressColumn->addWidget(captionRow_);
    column->addWidget(progress, 0, Qt::AlignHCenter);
    column->addSpacing(22 - shadow.top());

    // Counter card: five tiles with dividers; 12 above and below, 8 at the sides; 26 below.
    auto* card = new ShellCard(ShellCardBackground{12, false});
    card->setPadding(QMargins(8, 12, 8, 12));
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(0, 0, 0, 0); // the card's padding is all the room there is
    row->setSpacing(0);
    const char* labels[] = {"Files", "Folders", "Found", "Unreadable", "Elapsed"};
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        if (i > 0) row->addWidget(new CounterDivider(), 0, Qt::AlignVCenter);
        tiles_[i] = new ShellStatTile(QString(), QString::fromLatin1(labels[i]));
        row->addWidget(tiles_[i], 0, Qt::AlignVCenter);
    }
    column->addWidget(card, 0, Qt::AlignHCenter);
    column->addSpacing(26 - shadow.bottom());

    // Cancel.
    cancel_->setMinimumWidth(110);
    cancel_->setMinimumHeight(28);
    cancel_->setFont(shellFont(ShellTextStyle::body));
    cancel_->setShortcut(QKeySequence(Qt::Key_Escape));
    cancel_->setToolTip(QStringLiteral("Stop scanning (Esc)"));
    connect(cancel_, &QPushButton::clicked, this, [this] { state_.cancelScan(); });
    column->addWidget(cancel_, 0, Qt::AlignHCenter);

    column->addSpacing(24);
    column->addStretch(1);

    elapsedTimer_.setInterval(1000);
    connect(&elapsedTimer_, &QTimer::timeout, this, &ScanProgressView::refreshElapsed);
    connect(&state_, &AppState::changed, this, [this](quint64 fields) {
        if (!(fields & watchedFields)) return;
        refresh();
        // A new target while the screen is up; the screen coming up records its own.
        if ((fields & AppState::bit(Field::scanTarget)) && isVisible() && state_.scanTarget() != recordedTarget_) {
            recordedTarget_ = state_.scanTarget();
            record(scanprogress::startRecord(state_.scanTarget()));
        }
    });
    whenIconReady(*this, [this](const std::string& path) {
        const std::optional<scanprogress::TargetIcon> shown = targetIcon();
        return shown && path == shown->path;
    }, [this] { refreshIcon(); });
    refresh();
}

ScanProgressView::~ScanProgressView() = default;

void ScanProgressView::setFixedTime(std::optional<double> seconds) {
    fixedTime_ = seconds;
    rings_->setFixedTime(seconds);
    bar_->setFixedTime(seconds);
    if (fixedTime_) {
        elapsedTimer_.stop();
    } else if (isVisible()) {
        elapsedTimer_.start();
    }
    refreshElapsed();
}

void ScanProgressView::setRecentsRecorder(std::shared_ptr<Executor> executor, RecentsRecorder record) {
    recordExecutor_ = std::move(executor);
    recorder_ = std::move(record);
}

void ScanProgressView::refresh() {
    const ScanProgress progress = state_.scanProgress(); // one copy for every row
    const auto& target = state_.scanTarget();
    const auto& volume = state_.scanVolume();

    title_->setText(text(scanprogress::title(target, volume, *state_.volumeNames())));
    const QString folder = text(scanprogress::currentPathText(progress.currentPath));
    path_->setText(folder);
    path_->setToolTip(progress.currentPath.empty() ? QString() : text(progress.currentPath));
    refreshIcon();

    const scanprogress::ProgressBar bar = scanprogress::progressBar(target, volume, progress.bytesScanned);
    bar_->setFraction(bar.determinate ? std::optional(bar.fraction) : std::nullopt);
    captionRow_->setVisible(bar.determinate);
    caption_->setText(text(bar.caption));
    percent_->setText(text(bar.percent));

    const auto counters = scanprogress::counters(progress, elapsedSeconds());
    const QColor orange = shellOrangeColor(shellAppearance(palette()));
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        tiles_[i]->setValue(text(counters[i].value));
        tiles_[i]->setTint(counters[i].warning ? std::optional(orange) : std::nullopt);
    }
}

void ScanProgressView::refreshElapsed() {
    const auto counters = scanprogress::counters(state_.scanProgress(), elapsedSeconds());
    tiles_[4]->setValue(text(counters[4].value));
}

std::optional<scanprogress::TargetIcon> ScanProgressView::targetIcon() const {
    if (!facts_) return std::nullopt;
    return scanprogress::targetIcon(state_.scanTarget(), state_.scanVolume(), *facts_);
}

void ScanProgressView::checkTarget() {
    const auto& target = state_.scanTarget();
    if (!target) {
        factsFor_.reset();
        facts_.reset();
        return;
    }
    const auto& volume = state_.scanVolume();
    std::pair<std::string, std::string> places{*target, volume ? volume->url : std::string()};
    if (factsFor_ == places) return;
    factsFor_ = places;
    facts_.reset();
    // A stat may wait on a slow mount: off the GUI thread, and dropped if the places changed meanwhile.
    runInBackground(
        state_.executors().utility, this,
        [places] {
            struct stat item {};
            scanprogress::TargetFacts facts;
            facts.volumeExists = !places.second.empty() && ::stat(places.second.c_str(), &item) == 0;
            facts.targetIsFolder = ::stat(places.first.c_str(), &item) == 0 && S_ISDIR(item.st_mode);
            return facts;
        },
        [this, places](scanprogress::TargetFacts facts) {
            if (factsFor_ != places) return;
            facts_ = facts;
            refreshIcon();
        },
        [](std::exception_ptr) {});
}

void ScanProgressView::refreshIcon() {
    checkTarget();
    // The icon's place is kept while the places are checked, so the title does not move.
    icon_->setVisible(state_.scanTarget().has_value());
    const std::optional<scanprogress::TargetIcon> shown = targetIcon();
    icon_->setIcon(shown ? fileIcon(shown->path, shown->isFolder, shown->extension) : QIcon());
}

double ScanProgressView::elapsedSeconds() const {
    if (fixedTime_) return *fixedTime_;
    const auto now = std::chrono::system_clock::now();
    const auto start = state_.scanStartedAt() ? *state_.scanStartedAt() : shownAt_.value_or(now);
    return std::max(0.0, std::chrono::duration<double>(now - start).count());
}

void ScanProgressView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return; // the window coming back, not the screen
    shownAt_ = std::chrono::system_clock::now();
    if (!fixedTime_) elapsedTimer_.start();
    refresh();
    recordedTarget_ = state_.scanTarget();
    record(scanprogress::startRecord(state_.scanTarget()));
}

void ScanProgressView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The orange of the other appearance; the constructor's own changes come before the tiles.
    if (event->type() == QEvent::PaletteChange && tiles_.back()) refresh();
}

void ScanProgressView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    elapsedTimer_.stop();
    record(scanprogress::finishRecord(state_.phase(), state_.root(), state_.scanTarget()));
}

void ScanProgressView::record(const std::optional<scanprogress::RecentRecord>& entry) {
    if (!entry || !recorder_ || !recordExecutor_) return;
    // The existence check may wait on a slow mount; the state outlives this screen,
    // so the record is made even when the screen is gone by then.
    runInBackground(
        *recordExecutor_, &state_,
        [path = entry->path] {
            struct stat item {};
            return ::stat(path.c_str(), &item) == 0;
        },
        [record = recorder_, entry = *entry](bool exists) {
            if (exists) record(entry.path, entry.size);
        },
        [](std::exception_ptr) {}); // unchecked: not recorded
}

QString ScanProgressView::titleText() const { return title_->text(); }
QString ScanProgressView::pathText() const { return path_->text(); }
QString ScanProgressView::captionText() const { return captionRow_->isVisibleTo(this) ? caption_->text() : QString(); }
QString ScanProgressView::percentText() const { return captionRow_->isVisibleTo(this) ? percent_->text() : QString(); }
bool ScanProgressView::showsTargetIcon() const { return icon_->isVisibleTo(this); }

} // namespace plenwick
