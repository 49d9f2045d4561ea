#pragma once
// The whole content of the main window: one screen chosen by the state's phase
// (home, scan progress, results, failure), the window toolbar's row for that screen,
// and, over whatever screen is on, the uninstaller sheet and the error alert.
//
// Screens that other parts of the program supply are made in one function each;
// until then a placeholder stands in their place.

#include <QPixmap>
#include <QPointer>

#include <optional>
#include <functional>
#include <QStackedWidget>

#include <QMessageBox>
class QDialog;
class QToolButton;
class QVariantAnimation;

namespace plenwick {

class AppState;
class ResultsToolbar;
class ResultsView;
class ScanFailedView;
class ShellPictureFade;
class FileNode;
class UninstallSession;

class RootView final : public QStackedWidget {
    Q_OBJECT

public:
    explicit RootView(AppState& state, QWidget* parent = nullptr);
    ~RootView() override;

    // The row the window toolbar shows for the current screen.
    QWidget* toolbarContent() const { return toolbar_; }
    // Whether the current screen has anything for the toolbar: home and scanning often
    // have not, and then the window shows no toolbar at all.
    bool hasToolbarContent() const { return hasToolbarContent_; }
    // The window's title: the results' title while they are on show, else "Plenwick".
    QString windowTitleText() const;

    QWidget* homeScreen() const { return home_; }
    QWidget* progressScreen() const { return progress_; }
    ResultsView* resultsView() const { return results_; }
    ScanFailedView* failureScreen() const { return failed_; }
    ResultsToolbar* resultsToolbar() const { return resultsToolbar_; }
    // The home toolbar's way back to the kept results (shown only when it applies).
    QToolButton* backToResultsButton() const { return backToResults_; }
    // The error alert while it is shown.
    QMessageBox* errorAlert() const { return alert_; }
    // What the home page's tool cards do: the menu commands of the same names. A tool
    // without an action has no card.
    void setHomeTools(std::function<void()> uninstallApp, std::function<void()> openStartupItems);
    // The uninstaller sheet while a session is shown.
    QDialog* uninstallSheet() const { return sheet_; }
    // The switch between screens: the screen that was on fades out over the new one.
    static constexpr int kScreenSwitchMs = 250;
    QVariantAnimation* screenSwitch() const;

signals:
    void windowTitleTextChanged(const QString& title);
    void toolbarContentChanged(bool hasContent);

private:
    // The screens of other parts of the program: each replaces its placeholder here.
    QWidget* makeHomeScreen();
    QWidget* makeProgressScreen();
    void showHome();
    void dropHome();

    void onChanged(quint64 fields);
    void showPhase();
    void fadeFrom(const QPixmap& picture);
    void syncHomeToolbar();
    void syncErrorAlert();
    void dismissErrorAlert();
    void syncUninstallSheet();
    void dismissUninstallSheet();

    AppState& state_;
    QPointer<QStackedWidget> toolbar_;
    QWidget* emptyToolbar_;
    QWidget* homeToolbar_;
    QToolButton* backToResults_;
    ResultsToolbar* resultsToolbar_;
    QWidget* home_ = nullptr;
    std::function<void()> uninstallApp_;
    std::function<void()> openStartupItems_;
    QWidget* progress_ = nullptr;
    ResultsView* results_ = nullptr;
    ScanFailedView* failed_ = nullptr;
    QPointer<QMessageBox> alert_;
    QPointer<QDialog> sheet_;
    const UninstallSession* sheetSession_ = nullptr; // the session the sheet shows, by identity
    QString title_;
    std::optional<int> shownPhase_; // the phase kind shown last
    QPointer<ShellPictureFade> fade_;
    bool hasToolbarContent_ = false;
};

} // namespace plenwick
