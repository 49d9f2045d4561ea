#include "results/RootView.h"

#include "app/AppState.h"
#include "app/RecentScans.h"
#include "platform/MotionPreference.h"
#include "home/VolumePickerView.h"
#include "results/ResultsTexts.h"
#include "results/ResultsToolbar.h"
#include "results/ResultsView.h"
#include "results/ScanFailedView.h"
#include "results/ScanProgressView.h"
#include "shell/ShellPictureFade.h"
#include "shell/Symbols.h"
#include "uninstaller/ui/UninstallerView.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace plenwick {

RootView::RootView(AppState& state, QWidget* parent) : QStackedWidget(parent), state_(state) {
    setObjectName(QStringLiteral("RootView"));

    toolbar_ = new QStackedWidget;
    toolbar_->setObjectName(QStringLiteral("WindowToolbarRow"));
    emptyToolbar_ = new QWidget(toolbar_);
    homeToolbar_ = new QWidget(toolbar_);
    auto* homeRow = new QHBoxLayout(homeToolbar_);
    homeRow->setContentsMargins(4, 2, 4, 2);
    backToResults_ = new QToolButton(homeToolbar_);
    backToResults_->setIcon(symbolIcon(Symbol::chevronLeft));
    backToResults_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    backToResults_->setAutoRaise(true);
    backToResults_->setToolTip(QStringLiteral("Return to the results of the last scan"));
    connect(backToResults_, &QToolButton::clicked, this, [this] { state_.backToResults(); });
    homeRow->addWidget(backToResults_);
    homeRow->addStretch(1);
    resultsToolbar_ = new ResultsToolbar(state_, toolbar_);
    toolbar_->addWidget(emptyToolbar_);
    toolbar_->addWidget(homeToolbar_);
    toolbar_->addWidget(resultsToolbar_);

    connect(&state_, &AppState::changed, this, &RootView::onChanged);
    showPhase();
    syncUninstallSheet();
    syncErrorAlert();
}

RootView::~RootView() {
    if (alert_) delete alert_.data();
    if (sheet_) delete sheet_.data();
    // The row belongs to the window's toolbar once placed there; until then, to us.
    if (toolbar_ && !toolbar_->parent()) delete toolbar_.data();
}

QWidget* RootView::makeHomeScreen() {
    HomeEnvironment environment = HomeEnvironment::standard();
    environment.uninstallApp = uninstallApp_;
    environment.openStartupItems = openStartupItems_;
    auto* screen = new VolumePickerView(state_, std::move(environment), this);
    screen->setObjectName(QStringLiteral("Home"));
    return screen;
}

QWidget* RootView::makeProgressScreen() {
    auto* screen = new ScanProgressView(state_, this);
    screen->setObjectName(QStringLiteral("ScanProgress"));
    // The scan is remembered among the recent scans when it starts and again, with its
    // size, when it finishes. The check that the target exists runs on the state's
    // utility executor, which the state keeps alive as long as itself.
    std::shared_ptr<Executor> checks(std::shared_ptr<void>(), &state_.executors().utility);
    screen->setRecentsRecorder(std::move(checks), [state = QPointer<AppState>(&state_)](const std::string& path,
                                                                                         std::optional<std::int64_t> size) {
        if (state) RecentScans::record(state->preferences(), path, size);
    });
    return screen;
}

void RootView::setHomeTools(std::function<void()> uninstallApp, std::function<void()> openStartupItems) {
    uninstallApp_ = std::move(uninstallApp);
    openStartupItems_ = std::move(openStartupItems);
    // A page on show gets its cards now.
    if (home_) {
        const bool shown = currentWidget() == home_;
        dropHome();
        if (shown) showHome();
    }
}

void RootView::dropHome() {
    // The page may be what asked for this: it goes once that call has returned.
    removeWidget(home_);
    home_->hide();
    home_->deleteLater();
    home_ = nullptr;
}

void RootView::showHome() {
    // A new page each time home comes back, so that its view state starts afresh.
    if (!home_) {
        home_ = makeHomeScreen();
        addWidget(home_);
    }
    setCurrentWidget(home_);
}

QString RootView::windowTitleText() const { return title_; }

void RootView::onChanged(quint64 fields) {
    using F = AppState::Field;
    // The results changed in place: the recent scan of their folder shows their size now.
    if ((fields & AppState::bit(F::treeVersion)) && state_.root())
        RecentScans::updateSize(state_.preferences(), state_.root()->url(), state_.root()->size());
    if (fields & (AppState::bit(F::phase) | AppState::bit(F::root) | AppState::bit(F::treeVersion) |
                  AppState::bit(F::volumeNames)))
        showPhase();
    if (fields & AppState::bit(F::uninstallSession)) syncUninstallSheet();
    if (fields & (AppState::bit(F::lastError) | AppState::bit(F::lastErrorTitle))) syncErrorAlert();
}

namespace {

// The pointer is dropped at once, so that what shows next gets a window of its own
// rather than the dying one; the window goes once its own handlers have returned.
template <class Window>
void closeLater(QPointer<Window>& pointer, QObject* receiver) {
    Window* window = pointer.data();
    pointer = nullptr;
    if (!window) return;
    window->disconnect(receiver);
    window->close();
    window->deleteLater();
}

} // namespace

void RootView::dismissUninstallSheet() {
    sheetSession_ = nullptr;
    closeLater(sheet_, this);
}

void RootView::syncUninstallSheet() {
    const std::shared_ptr<UninstallSession>& session = state_.uninstallSession();
    if (sheet_ && sheetSession_ == session.get()) return;
    dismissUninstallSheet();
    if (!session) return;
    sheet_ = new QDialog(window());
    sheet_->setObjectName(QStringLiteral("UninstallSheet"));
    sheet_->setWindowModality(Qt::WindowModal);
    sheet_->setWindowTitle(QString::fromStdString(session->app().name));
    auto* layout = new QVBoxLayout(sheet_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new UninstallerView(session, sheet_));
    sheetSession_ = session.get();
    // Dismissing the sheet in any other way closes the session it shows.
    connect(sheet_, &QDialog::finished, this, [this] {
        const UninstallSession* shown = sheetSession_;
        dismissUninstallSheet();
        state_.closeUninstallSession(shown);
    });
    sheet_->show();
}

QVariantAnimation* RootView::screenSwitch() const { return fade_ ? &fade_->animation() : nullptr; }

void RootView::fadeFrom(const QPixmap& picture) {
    if (fade_) delete fade_.data(); // a switch during a switch fades from the newer picture
    // The screen that was on dissolves into the new one, in a critically damped spring of 0.25 s.
    fade_ = new ShellPictureFade(picture, kScreenSwitchMs, this);
    fade_->start();
}

void RootView::showPhase() {
    const AppState::Phase& phase = state_.phase();
    using Kind = AppState::Phase::Kind;
    // The screen on show now is pictured before it may go, when another takes its place.
    QWidget* const previous = currentWidget();
    const bool switches = previous && isVisible() && !MotionPreference::shared().reduceMotion() &&
                          (static_cast<int>(phase.kind()) != shownPhase_ || (phase.kind() == Kind::results && previous == results_ &&
                                                           results_->builtFor() != state_.root().get()));
    const QPixmap picture = switches ? previous->grab() : QPixmap();
    shownPhase_ = static_cast<int>(phase.kind());

    // The progress screen lives only while a scan runs: no stale progress, no timers.
    if (phase.kind() != Kind::scanning && progress_) {
        removeWidget(progress_);
        delete progress_;
        progress_ = nullptr;
    }
    // The failure screen carries one message; a new failure gets a new screen.
    if (failed_ && (phase.kind() != Kind::failed || failed_->message() != QString::fromStdString(phase.message()))) {
        removeWidget(failed_);
        delete failed_;
        failed_ = nullptr;
    }
    // The home page lives while home is shown.
    const bool showsHome = phase.kind() == Kind::home || (phase.kind() == Kind::results && !state_.root());
    if (!showsHome && home_) dropHome();
    // The results screen belongs to one root: a new tree (or none) drops it.
    if (results_ && results_->builtFor() != state_.root().get()) {
        removeWidget(results_);
        delete results_;
        results_ = nullptr;
    }

    switch (phase.kind()) {
    case Kind::home:
        showHome();
        break;
    case Kind::scanning:
        if (!progress_) {
            progress_ = makeProgressScreen();
            addWidget(progress_);
        }
        setCurrentWidget(progress_);
        break;
    case Kind::results:
        if (!state_.root()) {
            showHome();
            break;
        }
        if (!results_) {
            results_ = new ResultsView(state_, this);
            addWidget(results_);
        }
        setCurrentWidget(results_);
        break;
    case Kind::failed:
        if (!failed_) {
            failed_ = new ScanFailedView(state_, QString::fromStdString(phase.message()), this);
            addWidget(failed_);
        }
        setCurrentWidget(failed_);
        break;
    }

    if (switches && currentWidget() != previous) fadeFrom(picture);

    syncHomeToolbar();
    if (currentWidget() == results_ && results_) {
        toolbar_->setCurrentWidget(resultsToolbar_);
    } else if (phase.kind() == Kind::home && state_.root()) {
        toolbar_->setCurrentWidget(homeToolbar_);
    } else {
        toolbar_->setCurrentWidget(emptyToolbar_);
    }
    const bool hasToolbarContent = toolbar_->currentWidget() != emptyToolbar_;
    if (hasToolbarContent != hasToolbarContent_) {
        hasToolbarContent_ = hasToolbarContent;
        emit toolbarContentChanged(hasToolbarContent_);
    }

    const QString title = currentWidget() == results_ && results_
                              ? resultsTitle(state_.root().get(), *state_.volumeNames())
                              : QStringLiteral("Plenwick");
    if (title != title_) {
        title_ = title;
        emit windowTitleTextChanged(title_);
    }
}

void RootView::syncHomeToolbar() {
    if (const NodeRef& root = state_.root()) backToResults_->setText(backToResultsTitle(*root, *state_.volumeNames()));
}

void RootView::dismissErrorAlert() { closeLater(alert_, this); }

void RootView::syncErrorAlert() {
    const std::optional<std::string>& error = state_.lastError();
    if (!error) {
        dismissErrorAlert();
        return;
    }
    const QString title = state_.lastErrorTitle() ? QString::fromStdString(*state_.lastErrorTitle())
                                                  : QStringLiteral("Couldn’t Move to Trash");
    if (!alert_) {
        alert_ = new QMessageBox(window());
        alert_->setObjectName(QStringLiteral("ErrorAlert"));
        alert_->setIcon(QMessageBox::Warning);
        alert_->setTextFormat(Qt::PlainText);
        alert_->setWindowModality(Qt::WindowModal);
        alert_->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
        // However the alert goes away, the error is cleared.
        connect(alert_, &QMessageBox::finished, this, [this] {
            dismissErrorAlert();
            state_.setLastError(std::nullopt, std::nullopt);
        });
    }
    alert_->setWindowTitle(title);
    alert_->setText(title);
    alert_->setInformativeText(QString::fromStdString(*error));
    alert_->open();
}

} // namespace plenwick
