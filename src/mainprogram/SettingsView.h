#pragma once
// The settings window: whether Plenwick Helper starts at login (its row shows the
// helper's registration, whether it runs or is starting, and the last failure) and whether collecting
// or trashing an app offers to find its leftovers. The helper row is a thin view: it
// shows the state it is given and asks for changes through its signals; its switch
// moves only when the new state arrives.

#include "app/Preferences.h"

#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace plenwick {

// What the helper row shows.
struct HelperRow {
    bool isOn = false;            // registered
    bool notRunning = false;      // registered, but no copy runs
    std::optional<QString> error; // the last failed change
    bool noSystemTray = false;    // on, where the desktop has no tray to show its icon in
    bool starting = false;        // registered, and a copy is being started
    bool operator==(const HelperRow&) const = default;
};

class HelperToggle final : public QWidget {
    Q_OBJECT

public:
    static inline const QString toggleTitle = QStringLiteral("Show Plenwick Helper in the system tray");
    static inline const QString notRunningText = QStringLiteral("Not running.");
    static inline const QString startTitle = QStringLiteral("Start");
    static inline const QString startingText = QStringLiteral("Starting…");
    static inline const QString noTrayText = QStringLiteral(
        "This desktop has no system tray, so the helper shows no icon. It still offers to remove the leftovers of "
        "apps you move to the Trash.");

    // Disabled until its first state arrives.
    explicit HelperToggle(QWidget* parent = nullptr);

    const HelperRow& row() const noexcept { return row_; }
    void setRow(const HelperRow& row);

    QCheckBox* toggle() const noexcept { return toggle_; }
    QWidget* notRunningLine() const noexcept { return notRunningLine_; }
    QLabel* startingLine() const noexcept { return starting_; }
    QPushButton* startButton() const noexcept { return start_; }
    QLabel* noTrayLine() const noexcept { return noTray_; }
    QLabel* errorLine() const noexcept { return error_; }

signals:
    // The user flipped the switch to `on`.
    void switched(bool on);
    void startRequested();

private:
    void showRow();

    HelperRow row_;
    QCheckBox* toggle_;
    QWidget* notRunningLine_;
    QPushButton* start_;
    QLabel* starting_;
    QLabel* noTray_;
    QLabel* error_;
};

class SettingsView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int formWidth = 480;
    static inline const QString helperHeader = QStringLiteral("System Tray Helper");
    static inline const QString helperFooter = QStringLiteral(
        "Starts at login. Offers to remove an app’s leftovers when you drag it to the Trash, and opens or quits "
        "Plenwick from the system tray.");
    static inline const QString uninstallingHeader = QStringLiteral("Uninstalling");
    static inline const QString offerLeftoversTitle =
        QStringLiteral("Offer to find leftovers when an app is collected or trashed");
    static inline const QString offerLeftoversFooter = QStringLiteral(
        "Leftovers are the settings, caches and data an app keeps in your home folder: ~/.config, ~/.cache and "
        "~/.local/share.");

    // A window of its own ("settings"), 480 wide and as tall as its content. The
    // leftovers switch reads and writes `preferences` directly.
    explicit SettingsView(Preferences& preferences, QWidget* parent = nullptr);

    HelperToggle* helperToggle() const noexcept { return helper_; }
    QCheckBox* offerLeftovers() const noexcept { return offerLeftovers_; }

signals:
    // Shown: the helper's state is to be read afresh.
    void appeared();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // 480 wide and exactly as tall as the content asks at that width.
    void fitHeight();
    void applyTones();

    Preferences& preferences_;
    HelperToggle* helper_;
    QCheckBox* offerLeftovers_;
};

} // namespace plenwick
