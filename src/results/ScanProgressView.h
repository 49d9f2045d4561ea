#pragma once
// The screen that fills the main window while a scan runs: the animated rings with
// the logo in their hub, "Scanning “name”" with the target's icon, the folder being
// read, a progress bar, five counters on a card, and Cancel (also on Escape).
//
// It keeps no state of its own: every value comes from the AppState it is given, read
// again whenever the state reports a change of the scan's progress, target, volume,
// start time, phase or root; Elapsed ticks on its own once a second. Cancel calls
// `AppState::cancelScan`.
//
// Use: `auto* view = new ScanProgressView(state);` in the root view's stack, shown
// while the phase is scanning. Optional: `setRecentsRecorder` to record the scan among
// the recent scans; `setFixedTime` for a still picture (screenshots).

#include "results/ScanProgressModel.h"

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;

namespace plenwick {

class AppLogoView;
class Executor;
class ScanProgressBar;
class ShellIconImage;
class ShellScanRings;
class ShellStatTile;
class ShellText;

class ScanProgressView : public QWidget {
    Q_OBJECT

public:
    // Adds a scan to the recent scans: its path and, after a finished scan, its size.
    using RecentsRecorder = std::function<void(const std::string& path, std::optional<std::int64_t> size)>;

    explicit ScanProgressView(AppState& state, QWidget* parent = nullptr);
    ~ScanProgressView() override;

    // A still picture: the rings drawn once for `seconds`, Elapsed showing them; none
    // follows the clock.
    void setFixedTime(std::optional<double> seconds);
    std::optional<double> fixedTime() const noexcept { return fixedTime_; }

    // Records the scan when the screen comes up (and when the target changes while it
    // is up), without a size, and when it goes after a finished scan, with the root's
    // size; only places that exist are recorded, checked on `executor`. `record` runs on
    // the GUI thread. Without a recorder nothing is recorded.
    void setRecentsRecorder(std::shared_ptr<Executor> executor, RecentsRecorder record);

    // What is on show, for tests and pictures.
    ShellScanRings* rings() const noexcept { return rings_; }
    ScanProgressBar* progressBar() const noexcept { return bar_; }
    QPushButton* cancelButton() const noexcept { return cancel_; }
    ShellStatTile* counter(int index) const { return tiles_.at(static_cast<std::size_t>(index)); }
    QString titleText() const;
    QString pathText() const;
    QString captionText() const;
    QString percentText() const;
    bool showsTargetIcon() const;
    // The icon asked for the title, none until the places have been checked.
    std::optional<scanprogress::TargetIcon> targetIcon() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void refreshElapsed();
    void refreshIcon();
    // Learns in the background what the icon depends on, when the places changed.
    void checkTarget();
    double elapsedSeconds() const;
    void record(const std::optional<scanprogress::RecentRecord>& entry);

    AppState& state_;
    std::optional<double> fixedTime_;
    std::shared_ptr<Executor> recordExecutor_;
    RecentsRecorder recorder_;
    std::optional<std::chrono::system_clock::time_point> shownAt_;
    std::optional<std::string> recordedTarget_; // the target recorded since the screen came up
    QTimer elapsedTimer_;
    // The places the facts are for (target, volume path), and the facts once known.
    std::optional<std::pair<std::string, std::string>> factsFor_;
    std::optional<scanprogress::TargetFacts> facts_;

    ShellScanRings* rings_;
    AppLogoView* logo_;
    ShellIconImage* icon_;
    ShellText* title_;
    ShellText* path_;
    ScanProgressBar* bar_;
    QWidget* captionRow_;
    ShellText* caption_;
    ShellText* percent_;
    std::array<ShellStatTile*, 5> tiles_{};
    QPushButton* cancel_;
};

} // namespace plenwick
